// korvanta-cli: the editor's core from the command line, for batch use and checking.
#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

#include "cli/block_info.h"
#include "cli/cli_doc.h"
#include "cli/export.h"
#include "cli/frames.h"
#include "model/gif_doc.h"
#include "platform/exceptions.h"

namespace korvanta {
namespace {

const char kUsage[] =
    "usage: korvanta-cli COMMAND ...\n"
    "\n"
    "commands:\n"
    "  info FILE [--json]   read FILE and list its blocks, one line a block, or as one JSON\n"
    "                       object {\"file\", \"blocks\": [...], \"warnings\": [...]}\n"
    "  convert IN OUT       read IN and write it to OUT as GIF89a; OUT is replaced only when\n"
    "                       the whole file was written\n"
    "  frames IN OUTDIR [--passes N] [--display-dither]\n"
    "                       play IN from its first frame for N passes (default 1), write each\n"
    "                       complete frame as OUTDIR/frame-NNNN.ppm and print one line a frame:\n"
    "                       frame=N block=B delay=D build=U (hundredths of a second)\n"
    "  export-bmp IN INDEX OUT\n"
    "                       write block INDEX of IN (an image) to OUT as a BMP file of 1, 4 or\n"
    "                       8 bits, chosen by the size of the colour table the image uses\n"
    "  palette IN OUT       write the palette the header page would load from IN (its global\n"
    "                       table, else the first local table) to OUT as a 782-byte .KVP file\n"
    "  --help               show this text\n"
    "\n"
    "Errors are reported as 'korvanta-cli: FILE: reason' with exit status 1. A file that ends\n"
    "without its trailer is read with every complete block, and an image whose data is damaged\n"
    "or ends early with the pixels decoded; each is reported as a warning naming its block.\n";

int Usage(const std::string& problem)
{
    std::cerr << "korvanta-cli: " << problem << "\n\n" << kUsage;
    return 2;
}

int Info(const std::string& path, bool json)
{
    CliDoc doc;
    if (!OpenOrFail(doc, path))
        return 1;
    if (json) {
        std::string out = "{\"file\": " + JsonString(path) + ", \"blocks\": [";
        for (int i = 0; i < doc.GetBlockCount(); ++i)
            out += (i > 0 ? ", " : "") + BlockJson(i, DescribeBlock(*doc.GetBlock(i)));
        out += "], \"warnings\": [";
        for (std::size_t i = 0; i < doc.m_reports.size(); ++i)
            out += (i > 0 ? ", " : "") + JsonString(doc.m_reports[i]);
        std::cout << out << "]}\n";
    } else {
        for (int i = 0; i < doc.GetBlockCount(); ++i)
            std::cout << BlockLine(i, DescribeBlock(*doc.GetBlock(i))) << "\n";
    }
    PrintWarnings(doc, path);
    return 0;
}

int Convert(const std::string& in, const std::string& out)
{
    CliDoc doc;
    if (!OpenOrFail(doc, in))
        return 1;
    PrintWarnings(doc, in);
    return SaveOrFail(doc, out) ? 0 : 1;
}

int Run(const std::vector<std::string>& args)
{
    if (args.empty())
        return Usage("no command given");
    const std::string& command = args[0];
    if (command == "--help" || command == "-h" || command == "help") {
        std::cout << kUsage;
        return 0;
    }
    if (command == "info") {
        std::vector<std::string> files;
        bool json = false;
        for (std::size_t i = 1; i < args.size(); ++i) {
            if (args[i] == "--json")
                json = true;
            else
                files.push_back(args[i]);
        }
        if (files.size() != 1)
            return Usage("info takes one FILE");
        return Info(files[0], json);
    }
    if (command == "convert") {
        if (args.size() != 3)
            return Usage("convert takes IN and OUT");
        return Convert(args[1], args[2]);
    }
    if (command == "frames")
        return RunFrames(std::vector<std::string>(args.begin() + 1, args.end()));
    if (command == "export-bmp") {
        if (args.size() != 4)
            return Usage("export-bmp takes IN, INDEX and OUT");
        return ExportBmp(args[1], args[2], args[3]);
    }
    if (command == "palette") {
        if (args.size() != 3)
            return Usage("palette takes IN and OUT");
        return ExportPalette(args[1], args[2]);
    }
    return Usage("unknown command '" + command + "'");
}

}  // namespace
}  // namespace korvanta

int main(int argc, char** argv)
{
    std::vector<std::string> args(argv + 1, argv + argc);
    try {
        return korvanta::Run(args);
    } catch (const std::exception& e) {
        std::cerr << "korvanta-cli: " << e.what() << "\n";
        return 1;
    }
}
