// korvanta-ppm-diff HAVE WANT: compares two binary PPM pictures (P6, maxval 255, comments
// allowed in the header) pixel by pixel. Exit status 0 when they are equal, 1 when they differ
// (with the count and the first differing pixel on stdout), 2 when a file cannot be read.
#include <cctype>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <iterator>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct Picture {
    int width = 0;
    int height = 0;
    std::vector<unsigned char> rgb;
};

// The next header number, skipping white space and comments; -1 when there is none.
long ReadNumber(const std::vector<unsigned char>& bytes, std::size_t& pos)
{
    for (;;) {
        while (pos < bytes.size() && std::isspace(bytes[pos]) != 0) ++pos;
        if (pos < bytes.size() && bytes[pos] == '#') {
            while (pos < bytes.size() && bytes[pos] != '\n') ++pos;
            continue;
        }
        break;
    }
    long value = -1;
    while (pos < bytes.size() && bytes[pos] >= '0' && bytes[pos] <= '9' && value < 1'000'000) {
        value = (value < 0 ? 0 : value * 10) + (bytes[pos] - '0');
        ++pos;
    }
    return value;
}

std::optional<Picture> ReadPpm(const std::string& path, std::string& problem)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        problem = "cannot open";
        return std::nullopt;
    }
    const std::vector<unsigned char> bytes((std::istreambuf_iterator<char>(in)),
                                           std::istreambuf_iterator<char>());
    if (bytes.size() < 2 || bytes[0] != 'P' || bytes[1] != '6') {
        problem = "not a binary PPM (P6)";
        return std::nullopt;
    }
    std::size_t pos = 2;
    Picture p;
    const long width = ReadNumber(bytes, pos);
    const long height = ReadNumber(bytes, pos);
    const long maxval = ReadNumber(bytes, pos);
    if (width < 0 || height < 0 || maxval != 255 || pos >= bytes.size()) {
        problem = "bad header (want width, height and maxval 255)";
        return std::nullopt;
    }
    ++pos;  // the single white-space byte before the pixels
    const auto size = static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 3;
    if (bytes.size() - pos < size) {
        problem = "pixel data is short";
        return std::nullopt;
    }
    p.width = static_cast<int>(width);
    p.height = static_cast<int>(height);
    p.rgb.assign(bytes.begin() + static_cast<std::ptrdiff_t>(pos),
                 bytes.begin() + static_cast<std::ptrdiff_t>(pos + size));
    return p;
}

// Written to a stream: GCC 12 warns falsely (-Wrestrict) about chains of string concatenation.
void PutRgb(std::ostream& out, const unsigned char* p)
{
    out << int{p[0]} << ',' << int{p[1]} << ',' << int{p[2]};
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::cerr << "usage: korvanta-ppm-diff HAVE WANT\n";
        return 2;
    }
    std::string problem;
    const auto have = ReadPpm(argv[1], problem);
    if (!have) {
        std::cerr << argv[1] << ": " << problem << "\n";
        return 2;
    }
    const auto want = ReadPpm(argv[2], problem);
    if (!want) {
        std::cerr << argv[2] << ": " << problem << "\n";
        return 2;
    }
    if (have->width != want->width || have->height != want->height) {
        std::cout << "size: have " << have->width << "x" << have->height << ", want " << want->width << "x"
                  << want->height << "\n";
        return 1;
    }
    long differing = 0;
    std::ostringstream first;
    for (std::size_t i = 0; i < have->rgb.size(); i += 3) {
        if (have->rgb[i] == want->rgb[i] && have->rgb[i + 1] == want->rgb[i + 1] &&
            have->rgb[i + 2] == want->rgb[i + 2])
            continue;
        if (differing++ == 0) {
            const auto pixel = static_cast<long>(i / 3);
            first << '(' << pixel % have->width << ',' << pixel / have->width << "): have ";
            PutRgb(first, &have->rgb[i]);
            first << ", want ";
            PutRgb(first, &want->rgb[i]);
        }
    }
    if (differing == 0)
        return 0;
    std::cout << differing << " pixels differ, first at " << first.str() << "\n";
    return 1;
}
