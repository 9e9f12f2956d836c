// A file's directory entry and bytes from outside through every decoder of what a file holds:
// the first 32 bytes of the input are the entry, the rest the file. Whatever they are, each
// view decodes without a fault, and the text it makes stays in proportion to the bytes.
#include <algorithm>

#include "content/file_content.h"
#include "content/hex_dump.h"
#include "content/screen_picture.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::size_t entrySize = std::min<std::size_t>(size, CMdosDisk::kDirEntrySize);
    const content::FileContent file =
        content::MakeFile({data, entrySize}, {data + entrySize, size - entrySize});
    const std::size_t bound = content::kTextPerByte * file.bytes.size() + content::kTextSlack;

    const content::View chosen = content::ChooseView(file);
    FUZZ_EXPECT(content::ViewFromName(content::ViewName(chosen)) == chosen);

    const content::BasicListing listing = content::DecodeBasicFile(file);
    FUZZ_EXPECT(content::ListingText(listing).size() <= bound);
    // A program the chooser lists reads to its end: nothing breaks off.
    if (chosen == content::View::Basic && file.Type() != 'P') {
        FUZZ_EXPECT(!listing.truncated && !listing.variables.damaged);
    }

    if (const std::optional<content::ArrayData> array = content::DecodeArrayFile(file)) {
        std::size_t text = 0;
        for (const std::string& line : content::ArrayLines(*array)) {
            text += line.size() + 1;
        }
        FUZZ_EXPECT(text <= bound);
        FUZZ_EXPECT(array->ElementCount() <= file.bytes.size());
    }

    const content::ScreenPicture picture = content::DecodeScreen(file.Bytes());
    FUZZ_EXPECT(picture.pixels.size() ==
                static_cast<std::size_t>(content::kScreenWidth) * content::kScreenHeight);
    FUZZ_EXPECT(content::HexDump(file.Bytes()).size() <= bound);
    return 0;
}
