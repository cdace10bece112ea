#include "support/PdfText.h"

#include <algorithm>
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

std::string PdfTextWithEntriesAtZero(const std::string& header, const std::vector<std::string>& objects,
                                     size_t first, size_t last, const std::string& trailer) {
    std::string file = PdfText(header, objects, trailer);
    // Rows of 20 bytes follow the table's "xref" and "0 Size" lines.
    const size_t rows = file.find('\n', file.rfind("\nxref\n") + 6) + 1;
    for (size_t number = first; number <= last && number <= objects.size(); ++number)
        file.replace(rows + 20 * number, 10, 10, '0');
    return file;
}

std::string PdfTextWithUpdate(const std::string& file, const std::vector<PdfUpdateObject>& objects,
                              const std::string& trailer) {
    const size_t startxref = file.rfind("startxref") + 9;
    const std::string prev = file.substr(startxref, file.find("%%EOF", startxref) - startxref);
    std::string updated = file;
    std::vector<size_t> offsets;
    for (const PdfUpdateObject& object : objects) {
        offsets.push_back(updated.size());
        updated += std::to_string(object.m_number) + " " + std::to_string(object.m_generation) + " obj\n" +
                   object.m_body + "\nendobj\n";
    }
    const size_t xref = updated.size();
    updated += "xref\n";
    char row[32];
    for (size_t i = 0; i < objects.size(); ++i) {
        std::snprintf(row, sizeof row, "%010zu %05d n\r\n", offsets[i], objects[i].m_generation);
        updated += std::to_string(objects[i].m_number) + " 1\n" + row;
    }
    return updated + "trailer\n<<" + trailer + " /Prev " + std::to_string(std::stoul(prev)) + ">>\nstartxref\n" +
           std::to_string(xref) + "\n%%EOF\n";
}

std::string PdfRunLengthText(const std::string& data) {
    std::string runs;
    for (size_t at = 0; at < data.size(); at += 128)
        runs += static_cast<char>(std::min<size_t>(128, data.size() - at) - 1) + data.substr(at, 128);
    return runs + '\x80';
}

std::string PdfHexText(const std::string& data) {
    std::string text;
    for (const unsigned char byte : data)
        text += "0123456789abcdef"[byte >> 4], text += "0123456789abcdef"[byte & 15];
    return text;
}

std::string PdfCrossReferenceStreamRow(const std::vector<int>& widths, const std::vector<uint64_t>& fields) {
    std::string row;
    for (size_t f = 0; f < widths.size(); ++f)
        for (int b = widths[f] - 1; b >= 0; --b)
            row += static_cast<char>(fields[f] >> (8 * b) & 0xFF);
    return row;
}

namespace {

std::string Row(int type, size_t second, size_t third) {
    return PdfCrossReferenceStreamRow({1, 4, 2}, {uint64_t(type), second, third});
}

}  // namespace

std::string PdfTextWithObjectStream(const std::string& header, const std::vector<std::string>& objects,
                                    const std::set<size_t>& packed, const std::string& trailer) {
    const size_t streamNumber = objects.size() + 1;
    const size_t xrefNumber = objects.size() + 2;
    std::vector<std::string> rows(xrefNumber + 1, Row(0, 0, 65535));
    std::string pairs, bodies;
    size_t index = 0;
    std::string file = header + "\n";
    for (size_t number = 1; number <= objects.size(); ++number) {
        if (packed.count(number) != 0) {
            pairs += std::to_string(number) + " " + std::to_string(bodies.size()) + " ";
            bodies += objects[number - 1] + "\n";
            rows[number] = Row(2, streamNumber, index++);
            continue;
        }
        rows[number] = Row(1, file.size(), 0);
        file += std::to_string(number) + " 0 obj\n" + objects[number - 1] + "\nendobj\n";
    }
    rows[streamNumber] = Row(1, file.size(), 0);
    file += std::to_string(streamNumber) + " 0 obj\n<< /Type /ObjStm /N " + std::to_string(index) + " /First " +
            std::to_string(pairs.size()) + " /Length " + std::to_string(pairs.size() + bodies.size()) +
            " >>\nstream\n" + pairs + bodies + "\nendstream\nendobj\n";
    const size_t xref = file.size();
    rows[xrefNumber] = Row(1, xref, 0);
    std::string data;
    for (const std::string& row : rows)
        data += row;
    return file + std::to_string(xrefNumber) + " 0 obj\n<< /Type /XRef /Size " + std::to_string(xrefNumber + 1) +
           " /W [1 4 2] /Length " + std::to_string(data.size()) + " " + trailer + " >>\nstream\n" + data +
           "\nendstream\nendobj\nstartxref\n" + std::to_string(xref) + "\n%%EOF\n";
}

size_t PdfCrossReferenceRow(const std::string& file, size_t number) {
    const size_t end = file.rfind("\nendstream");
    const size_t start = file.rfind("stream\n", end) + 7;
    return start + 7 * number;
}
