#include "viewer/program/VIEW_SamplePage.h"

#include <cstdio>
#include <vector>

namespace {

std::string Area(int i) {
    char text[64];
    std::snprintf(text, sizeof text, "%g %g %g %g re f\n", VIEW_SamplePageLayout::AreaLeft[i],
                  VIEW_SamplePageLayout::AreaBottom, VIEW_SamplePageLayout::AreaSide, VIEW_SamplePageLayout::AreaSide);
    return text;
}

std::string Stream(const std::string& dict, const std::string& data) {
    return "<< " + dict + " /Length " + std::to_string(data.size()) + " >>\nstream\n" + data + "\nendstream";
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
        Stream("", content),
        Stream("/FunctionType 4 /Domain [0 1] /Range [0 1 0 1 0 1 0 1]", "{ 0.5 mul 0 0 0 }"),
    };
    std::string file = "%PDF-1.4\n";
    std::vector<size_t> offsets;
    for (size_t i = 0; i < objects.size(); ++i) {
        offsets.push_back(file.size());
        file += std::to_string(i + 1) + " 0 obj\n" + objects[i] + "\nendobj\n";
    }
    const size_t xref = file.size();
    file += "xref\n0 " + std::to_string(objects.size() + 1) + "\n0000000000 65535 f \n";
    for (const size_t offset : offsets) {
        char entry[24];
        std::snprintf(entry, sizeof entry, "%010zu 00000 n \n", offset);
        file += entry;
    }
    return file + "trailer\n<< /Size " + std::to_string(objects.size() + 1) + " /Root 1 0 R >>\nstartxref\n" +
           std::to_string(xref) + "\n%%EOF\n";
}
