#include "content/file_content.h"

#include <algorithm>

#include "content/screen_picture.h"
#include "disk/le_bytes.h"
#include "disk/mdos_format.h"

namespace content {

namespace {

constexpr unsigned char kTypeProgram = 'P';
constexpr unsigned char kTypeNumberArray = 'N';
constexpr unsigned char kTypeCharacterArray = 'C';
// Line numbers run to 9999; the ROM saves 0x8000 for "no autostart".
constexpr unsigned kLastLineNumber = 9999;

struct ViewNames {
    View view;
    const char* name;
    const char* title;
};
constexpr ViewNames kViewNames[] = {{View::Basic, "basic", "BASIC"},
                                    {View::Screen, "screen", "Screen"},
                                    {View::Array, "array", "Array"},
                                    {View::Hex, "hex", "Hex"}};

const ViewNames& Names(View view) {
    return *std::find_if(std::begin(kViewNames), std::end(kViewNames),
                         [view](const ViewNames& names) { return names.view == view; });
}

}  // namespace

const char* ViewName(View view) {
    return Names(view).name;
}

const char* ViewTitle(View view) {
    return Names(view).title;
}

std::optional<View> ViewFromName(std::string_view name) {
    for (const ViewNames& names : kViewNames) {
        if (name == names.name) {
            return names.view;
        }
    }
    return std::nullopt;
}

FileContent ReadFile(CMdosDisk& disk, unsigned char* entry) {
    FileContent file;
    std::copy_n(entry, CMdosDisk::kDirEntrySize, file.entry.begin());
    const int length = std::min(disk::EntryLength(entry), CMdosDisk::kSectorDataSize);
    file.bytes.resize(static_cast<std::size_t>(length));
    disk.ReadFileData(entry, file.bytes.data(), length);
    return file;
}

FileContent MakeFile(std::span<const unsigned char> entry, std::span<const unsigned char> bytes) {
    FileContent file;
    std::copy_n(entry.begin(), std::min(entry.size(), file.entry.size()), file.entry.begin());
    file.bytes.assign(bytes.begin(), bytes.end());
    return file;
}

View ChooseView(const FileContent& file) {
    const unsigned char type = file.Type();
    if (type == kTypeProgram) {
        return View::Basic;
    }
    if (type == kTypeNumberArray || type == kTypeCharacterArray) {
        return View::Array;
    }
    if (file.bytes.size() == kScreenBytes || file.bytes.size() == kScreenPixelBytes) {
        return View::Screen;
    }
    return ParsesAsProgram(file.Bytes()) ? View::Basic : View::Hex;
}

BasicListing DecodeBasicFile(const FileContent& file) {
    const std::span<const unsigned char> bytes = file.Bytes();
    if (file.Type() != kTypeProgram) {
        const std::size_t length = ProgramLength(bytes);
        return DecodeBasic(bytes.first(length), bytes.subspan(length));
    }
    const std::size_t length =
        std::min<std::size_t>(disk::ReadLe16(&file.entry[CMdosDisk::kEntryBasic]), bytes.size());
    const unsigned start = disk::ReadLe16(&file.entry[CMdosDisk::kEntryStart]);
    return DecodeBasic(
        bytes.first(length), bytes.subspan(length),
        start <= kLastLineNumber ? std::optional<int>(static_cast<int>(start)) : std::nullopt);
}

std::optional<ArrayData> DecodeArrayFile(const FileContent& file) {
    const bool characters = file.Type() == kTypeCharacterArray;
    const unsigned char nameByte = file.entry[CMdosDisk::kEntryStart + 1];
    return DecodeArray(file.Bytes(), characters, ArrayName(nameByte, characters));
}

}  // namespace content
