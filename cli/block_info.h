// What `korvanta-cli info` says about each block: named fields, rendered as JSON or as one
// line a block.
#pragma once

#include <string>
#include <variant>
#include <vector>

namespace korvanta {

class CGifBlock;

struct InfoField {
    enum class Form { number, boolean, hex, text };
    std::string key;
    Form form = Form::number;
    long long number = 0;
    std::string bytes;         // hex and text forms: the raw bytes
    std::string preformatted;  // hex form: the text as it is shown, instead of the bytes' hex
};

struct BlockInfo {
    std::string kind;  // header, control, comment, text, application, loop, image
    std::vector<InfoField> fields;
};

BlockInfo DescribeBlock(const CGifBlock& block);

std::string JsonString(const std::string& text);
std::string HexString(const std::string& bytes);
// A JSON object of the block's fields after "index" and "kind".
std::string BlockJson(int index, const BlockInfo& info);
// One line for a person: index, kind, key=value pairs; text shown quoted with escapes.
std::string BlockLine(int index, const BlockInfo& info);

}  // namespace korvanta
