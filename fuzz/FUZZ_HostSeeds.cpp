#include "FUZZ_HostSeeds.h"

#include <dirent.h>
#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>

namespace {

// A file of the objects given (object i + 1), catalog first, with its
// cross-reference table.
std::string PdfFile(const std::vector<std::string>& objects) {
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
    file += "trailer\n<< /Size " + std::to_string(objects.size() + 1) + " /Root 1 0 R >>\nstartxref\n" +
            std::to_string(xref) + "\n%%EOF\n";
    return file;
}

std::string Stream(const std::string& dict, const std::string& data) {
    return "<< " + dict + " /Length " + std::to_string(data.size()) + " >>\nstream\n" + data + "\nendstream";
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace

std::vector<std::string> FUZZ_HostSeeds(const std::string& corpusDir) {
    std::vector<std::string> seeds;
    seeds.push_back(PdfFile({
        "<< /Type /Catalog /Pages 2 0 R >>",
        "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
        "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 60 40] /Contents 4 0 R "
        "/Resources << /ColorSpace << /CS0 [/Separation /Gold /DeviceCMYK 5 0 R] >> >> >>",
        Stream("", "1 0 0 0 k 0 0 30 40 re f 0 1 0 0 k 20 0 30 40 re f /CS0 cs 0.5 scn 10 10 40 10 re f"),
        Stream("/FunctionType 4 /Domain [0 1] /Range [0 1 0 1 0 1 0 1]", "{ 0.5 mul 0 0 0 }"),
    }));
    seeds.push_back(PdfFile({
        "<< /Type /Catalog /Pages 2 0 R >>",
        "<< /Type /Pages /Kids [3 0 R] /Count 1 /MediaBox [0 0 50 50] /CropBox [5 5 45 45] /Rotate 90 "
        "/Resources << /XObject << /Fm0 5 0 R >> >> >>",
        "<< /Type /Page /Parent 2 0 R /Contents 4 0 R >>",
        Stream("", "q 0 0 1 0 k /Fm0 Do Q"),
        Stream("/Type /XObject /Subtype /Form /BBox [0 0 20 20] /Filter /ASCIIHexDecode",
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
