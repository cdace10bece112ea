#include "FUZZ_HostSeeds.h"

#include "viewer/program/VIEW_PdfFile.h"

#include <dirent.h>
#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>

namespace {

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace

std::vector<std::string> FUZZ_HostSeeds(const std::string& corpusDir) {
    std::vector<std::string> seeds;
    seeds.push_back(VIEW_PdfFile({
        "<< /Type /Catalog /Pages 2 0 R >>",
        "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
        "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 60 40] /Contents 4 0 R "
        "/Resources << /ColorSpace << /CS0 [/Separation /Gold /DeviceCMYK 5 0 R] >> >> >>",
        VIEW_PdfStream("", "1 0 0 0 k 0 0 30 40 re f 0 1 0 0 k 20 0 30 40 re f /CS0 cs 0.5 scn 10 10 40 10 re f"),
        VIEW_PdfStream("/FunctionType 4 /Domain [0 1] /Range [0 1 0 1 0 1 0 1]", "{ 0.5 mul 0 0 0 }"),
    }));
    seeds.push_back(VIEW_PdfFile({
        "<< /Type /Catalog /Pages 2 0 R >>",
        "<< /Type /Pages /Kids [3 0 R] /Count 1 /MediaBox [0 0 50 50] /CropBox [5 5 45 45] /Rotate 90 "
        "/Resources << /XObject << /Fm0 5 0 R >> >> >>",
        "<< /Type /Page /Parent 2 0 R /Contents 4 0 R >>",
        VIEW_PdfStream("", "q 0 0 1 0 k /Fm0 Do Q"),
        VIEW_PdfStream("/Type /XObject /Subtype /Form /BBox [0 0 20 20] /Filter /ASCIIHexDecode",
               "30203020313020313020726520660A>"),
    }));
    std::vector<std::string> names;
    if (DIR* d = opendir(corpusDir.c_str())) {
        while (dirent* e = readdir(d)) {
            const std::string name = e->d_name;
            if (name.size() > 4 && name.compare(name.size() - 4, 4, ".pdf") == 0)
                names.push_back(name);
        }
        closedir(d);
    }
    std::sort(names.begin(), names.end());
    for (const std::string& name : names) {
        const std::string bytes = ReadFile(corpusDir + "/" + name);
        if (bytes.empty() || bytes.size() > FUZZ_MaxHostSeed)
            continue;
        seeds.push_back(bytes);
        // Cut near the end: the cross-reference table and trailer go, the
        // objects mostly stay.
        seeds.push_back(bytes.substr(0, bytes.size() * 9 / 10));
    }
    return seeds;
}
