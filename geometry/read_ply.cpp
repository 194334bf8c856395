// Stanford PLY, ascii or binary of either byte order: the "vertex"
// element's x, y, z (of any numeric type) and the "face" element's
// "vertex_indices" (or "vertex_index") lists of any integer type. Other
// elements and properties are read past.

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "geometry/mesh_readers.h"
#include "geometry/text_scanner.h"

namespace geometry::readers {
namespace {

enum class PlyType { Int8, UInt8, Int16, UInt16, Int32, UInt32, Float32, Float64 };

struct PlyTypeName {
    const char* name;
    const char* sizedName;
    PlyType type;
    int size;
};

const PlyTypeName plyTypes[] = {
    {"char", "int8", PlyType::Int8, 1},        {"uchar", "uint8", PlyType::UInt8, 1},
    {"short", "int16", PlyType::Int16, 2},     {"ushort", "uint16", PlyType::UInt16, 2},
    {"int", "int32", PlyType::Int32, 4},       {"uint", "uint32", PlyType::UInt32, 4},
    {"float", "float32", PlyType::Float32, 4}, {"double", "float64", PlyType::Float64, 8}};

bool typeFromName(std::string_view name, PlyType& type) {
    for (const auto& entry : plyTypes) {
        if (name == entry.name || name == entry.sizedName) {
            type = entry.type;
            return true;
        }
    }
    return false;
}

int typeSize(PlyType type) {
    return plyTypes[static_cast<int>(type)].size;
}
bool isInteger(PlyType type) {
    return type != PlyType::Float32 && type != PlyType::Float64;
}

struct PlyProperty {
    std::string name;
    PlyType type = PlyType::Float32;  // of the list's items for a list
    bool isList = false;
    PlyType countType = PlyType::UInt8;
};

struct PlyElement {
    std::string name;
    long long count = 0;
    std::vector<PlyProperty> properties;
};

enum class PlyEncoding { Ascii, LittleEndian, BigEndian };

struct PlyHeader {
    PlyEncoding encoding = PlyEncoding::Ascii;
    std::vector<PlyElement> elements;
    std::size_t dataStart = 0;
};

bool nextLine(std::string_view data, std::size_t& pos, std::string_view& line) {
    if (pos >= data.size()) return false;
    std::size_t end = data.find('\n', pos);
    if (end == std::string_view::npos) end = data.size();
    line = data.substr(pos, end - pos);
    pos = end + 1;
    return true;
}

bool parseHeader(std::string_view data, PlyHeader& header, std::string& error) {
    std::size_t pos = 0;
    std::string_view line;
    int lineNumber = 1;
    ScanRules rules;
    rules.crossLines = false;
    TextScanner first(nextLine(data, pos, line) ? line : std::string_view(), rules);
    if (first.token() != "ply" || !first.atLineEnd()) {
        error = "not a PLY file (the first line is not \"ply\")";
        return false;
    }
    bool formatSeen = false;
    while (nextLine(data, pos, line)) {
        ++lineNumber;
        std::string at = "line " + std::to_string(lineNumber) + ": ";
        TextScanner words(line, rules);
        std::string_view key = words.token();
        if (key == "format") {
            std::string_view encoding = words.token();
            if (encoding == "ascii")
                header.encoding = PlyEncoding::Ascii;
            else if (encoding == "binary_little_endian")
                header.encoding = PlyEncoding::LittleEndian;
            else if (encoding == "binary_big_endian")
                header.encoding = PlyEncoding::BigEndian;
            else {
                error = at + "unknown format " + quoted(encoding);
                return false;
            }
            formatSeen = true;
        } else if (key == "element") {
            PlyElement element;
            element.name = words.token();
            if (!words.readInt(element.count) || element.count < 0 || element.count > INT_MAX / 3) {
                error = at + "element " + quoted(element.name) + " has no valid count";
                return false;
            }
            header.elements.push_back(element);
        } else if (key == "property") {
            if (header.elements.empty()) {
                error = at + "a property comes before any element";
                return false;
            }
            PlyProperty property;
            std::string_view type = words.token();
            bool ok = true;
            if (type == "list") {
                property.isList = true;
                ok = typeFromName(words.token(), property.countType) &&
                     isInteger(property.countType);
                type = words.token();
            }
            ok = ok && typeFromName(type, property.type);
            property.name = words.token();
            if (!ok || property.name.empty()) {
                error = at + "malformed property " + quoted(line);
                return false;
            }
            header.elements.back().properties.push_back(property);
        } else if (key == "end_header") {
            if (!formatSeen) {
                error = "the header has no format line";
                return false;
            }
            header.dataStart = pos;
            return true;
        } else if (key != "comment" && key != "obj_info" && !key.empty()) {
            error = at + "unknown header line " + quoted(line);
            return false;
        }
    }
    error = "the header has no end_header line";
    return false;
}

// Reads the body's numbers one at a time, in either encoding.
class PlyValueReader {
  public:
    PlyValueReader(std::string_view body, PlyEncoding encoding)
        : body_(body), encoding_(encoding), text_(body) {}

    // Integer types give both values, real types only the real one.
    bool read(PlyType type, double& real, long long& integer) {
        if (encoding_ == PlyEncoding::Ascii) {
            std::string_view token = text_.token();
            if (!isInteger(type)) return parseDouble(token, real);
            if (!parseInt(token, integer)) return false;
            real = static_cast<double>(integer);
            return true;
        }
        const int size = typeSize(type);
        if (body_.size() - pos_ < static_cast<std::size_t>(size)) return false;
        std::uint64_t bits = 0;
        for (int k = 0; k < size; ++k) {
            int at = encoding_ == PlyEncoding::BigEndian ? k : size - 1 - k;
            bits = (bits << 8) | static_cast<unsigned char>(body_[pos_ + at]);
        }
        pos_ += size;
        switch (type) {
            case PlyType::Int8:
                integer = static_cast<std::int8_t>(bits);
                break;
            case PlyType::UInt8:
                integer = static_cast<std::uint8_t>(bits);
                break;
            case PlyType::Int16:
                integer = static_cast<std::int16_t>(bits);
                break;
            case PlyType::UInt16:
                integer = static_cast<std::uint16_t>(bits);
                break;
            case PlyType::Int32:
                integer = static_cast<std::int32_t>(bits);
                break;
            case PlyType::UInt32:
                integer = static_cast<std::uint32_t>(bits);
                break;
            case PlyType::Float32: {
                std::uint32_t narrow = static_cast<std::uint32_t>(bits);
                float value;
                std::memcpy(&value, &narrow, sizeof value);
                real = value;
                return true;
            }
            case PlyType::Float64:
                std::memcpy(&real, &bits, sizeof real);
                return true;
        }
        real = static_cast<double>(integer);
        return true;
    }

  private:
    std::string_view body_;
    PlyEncoding encoding_;
    TextScanner text_;
    std::size_t pos_ = 0;
};

// Every entry takes some bytes, so the counts in the header must fit in what
// follows it; checked before anything is allocated.
bool countsFit(const PlyHeader& header, std::size_t bodySize, std::string& error) {
    unsigned long long available = bodySize + 1;  // the last ascii value needs no separator
    for (const PlyElement& element : header.elements) {
        unsigned long long entryBytes = 0;
        for (const PlyProperty& property : element.properties) {
            if (header.encoding == PlyEncoding::Ascii)
                entryBytes += 2;
            else
                entryBytes += typeSize(property.isList ? property.countType : property.type);
        }
        unsigned long long count = static_cast<unsigned long long>(element.count);
        if (entryBytes > 0 && count > available / entryBytes) {
            error = "the file is too short for " + std::to_string(count) + " entries of element " +
                    quoted(element.name);
            return false;
        }
        available -= count * entryBytes;
    }
    return true;
}

}  // namespace

bool parsePly(std::string_view data, MeshBuffers& mesh, std::string& error) {
    PlyHeader header;
    if (!parseHeader(data, header, error)) return false;
    std::string_view body = data.substr(std::min(header.dataStart, data.size()));
    if (!countsFit(header, body.size(), error)) return false;

    const PlyElement* vertexElement = nullptr;
    int coordinate[3] = {-1, -1, -1};  // property index of x, y, z
    const PlyElement* faceElement = nullptr;
    int indexList = -1;
    for (const PlyElement& element : header.elements) {
        if (element.name == "vertex" && !vertexElement) {
            vertexElement = &element;
            for (std::size_t p = 0; p < element.properties.size(); ++p) {
                const PlyProperty& property = element.properties[p];
                for (int d = 0; d < 3; ++d) {
                    if (!property.isList && property.name == std::string(1, char('x' + d)))
                        coordinate[d] = static_cast<int>(p);
                }
            }
        } else if (element.name == "face" && !faceElement) {
            faceElement = &element;
            for (std::size_t p = 0; p < element.properties.size(); ++p) {
                const PlyProperty& property = element.properties[p];
                if (property.isList && isInteger(property.type) &&
                    (property.name == "vertex_indices" || property.name == "vertex_index"))
                    indexList = static_cast<int>(p);
            }
        }
    }
    if (!vertexElement || coordinate[0] < 0 || coordinate[1] < 0 || coordinate[2] < 0) {
        error = "there is no vertex element with x, y and z";
        return false;
    }
    if (faceElement && faceElement->count > 0 && indexList < 0) {
        error = "the face element has no integer vertex_indices list";
        return false;
    }
    const long long vertexCount = vertexElement->count;
    mesh.positions.reserve(3 * vertexCount);
    if (faceElement) mesh.triangles.reserve(3 * faceElement->count);

    PlyValueReader reader(body, header.encoding);
    std::vector<int> corners;
    for (const PlyElement& element : header.elements) {
        // Entries without properties hold no bytes; counting through a huge
        // count of them would only stall on a tiny file.
        if (element.properties.empty()) continue;
        const bool isVertex = &element == vertexElement, isFace = &element == faceElement;
        for (long long i = 0; i < element.count; ++i) {
            auto at = [&] {
                return "element " + quoted(element.name) + " entry " + std::to_string(i) + ": ";
            };
            double position[3] = {0, 0, 0};
            for (std::size_t p = 0; p < element.properties.size(); ++p) {
                const PlyProperty& property = element.properties[p];
                double real = 0;
                long long integer = 0;
                if (!property.isList) {
                    if (!reader.read(property.type, real, integer)) {
                        error = at() + "missing or malformed value of " + quoted(property.name);
                        return false;
                    }
                    for (int d = 0; d < 3; ++d)
                        if (isVertex && coordinate[d] == static_cast<int>(p)) position[d] = real;
                    continue;
                }
                long long n = 0;
                if (!reader.read(property.countType, real, n) || n < 0) {
                    error = at() + "missing or malformed length of list " + quoted(property.name);
                    return false;
                }
                const bool isIndexList = isFace && indexList == static_cast<int>(p);
                if (isIndexList && n < 3) {
                    error = at() + "a face needs at least three corners, not " + std::to_string(n);
                    return false;
                }
                corners.clear();
                for (long long k = 0; k < n; ++k) {
                    if (!reader.read(property.type, real, integer)) {
                        error = at() + "list " + quoted(property.name) +
                                " is shorter than its length " + std::to_string(n);
                        return false;
                    }
                    if (!isIndexList) continue;
                    if (integer < 0 || integer >= vertexCount) {
                        error = at() + "vertex index " + std::to_string(integer) +
                                " is out of range (" + std::to_string(vertexCount) + " vertices)";
                        return false;
                    }
                    corners.push_back(static_cast<int>(integer));
                }
                if (isIndexList) addFan(mesh, corners.data(), corners.size());
            }
            if (isVertex && !addVertex(mesh, position[0], position[1], position[2], error)) {
                error = at() + error;
                return false;
            }
        }
    }
    return true;
}

}  // namespace geometry::readers
