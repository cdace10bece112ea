#include "viewer/program/VIEW_SamplePage.h"

#include "viewer/program/VIEW_PdfFile.h"

#include <cstdio>
#include <vector>

namespace {

std::string Area(int i) {
    char text[64];
    std::snprintf(text, sizeof text, "%g %g %g %g re f\n", VIEW_SamplePageLayout::AreaLeft[i],
                  VIEW_SamplePageLayout::AreaBottom, VIEW_SamplePageLayout::AreaSide, VIEW_SamplePageLayout::AreaSide);
    return text;
}

}  // namespace

std::string VIEW_SamplePagePdf() {
    const std::string content = "1 0 0 0 k\n" + Area(0) + "0 1 0 0 k\n" + Area(1) + "1 1 0 0 k\n" + Area(2) +
                                "/Spot cs 1 scn\n" + Area(3);
    const std::vector<std::string> objects = {
        "<< /Type /Catalog /Pages 2 0 R >>",
        "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
        "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 200 100] /Contents 4 0 R "
        "/Resources << /ColorSpace << /Spot [/Separation /Spot /DeviceCMYK 5 0 R] >> >> >>",
        VIEW_PdfStream("", content),
        VIEW_PdfStream("/FunctionType 4 /Domain [0 1] /Range [0 1 0 1 0 1 0 1]", "{ 0.5 mul 0 0 0 }"),
    };
    return VIEW_PdfFile(objects);
}
