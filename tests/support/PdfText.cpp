#include "support/PdfText.h"

#include <cstdio>

std::string PdfText(const std::string& header, const std::vector<std::string>& objects, const std::string& trailer) {
    std::string file = header + "\n";
    std::vector<size_t> offsets;
    for (size_t i = 0; i < objects.size(); ++i) {
        offsets.push_back(file.size());
        file += std::to_string(i + 1) + " 0 obj\n" + objects[i] + "\nendobj\n";
    }
    const size_t xref = file.size();
    file += "xref\n0 " + std::to_string(objects.size() + 1) + "\n0000000000 65535 f\r\n";
    char row[32];
    for (size_t offset : offsets) {
        std::snprintf(row, sizeof row, "%010zu 00000 n\r\n", offset);
        file += row;
    }
    file += "trailer\n<</Size " + std::to_string(objects.size() + 1) + " " + trailer + ">>\nstartxref\n" +
            std::to_string(xref) + "\n%%EOF\n";
    return file;
}

std::string PdfTextWithoutTable(const std::string& header, const std::vector<std::string>& objects,
                                const std::string& trailer) {
    std::string file = header + "\n";
    for (size_t i = 0; i < objects.size(); ++i)
        file += std::to_string(i + 1) + " 0 obj\n" + objects[i] + "\nendobj\n";
    return file + "trailer\n<</Size " + std::to_string(objects.size() + 1) + " " + trailer + ">>\n%%EOF\n";
}
