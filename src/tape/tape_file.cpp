#include "tape/tape_file.h"

#include <libspectrum.h>

#include <unistd.h>
#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>
#include <optional>
#include <unordered_set>

#include "disk/le_bytes.h"
#include "disk/tap_blocks.h"
#include "platform/host_file.h"
#include "tape/archive_check.h"
#include "tape/isolated.h"
#include "tape/pulse_decoder.h"
#include "tape/unplayable.h"

namespace tape {

namespace {

// libspectrum reports through one process-wide function; each thread keeps the last text.
thread_local std::string t_libraryError;

libspectrum_error KeepError(libspectrum_error error, const char* format, va_list ap) {
    char text[512];
    std::vsnprintf(text, sizeof text, format, ap);
    if (error != LIBSPECTRUM_ERROR_WARNING || t_libraryError.empty()) {
        t_libraryError = text;
    }
    return LIBSPECTRUM_ERROR_NONE;
}

// libspectrum loses memory on some of its error paths (a CSW file of an unknown version leaves
// a block behind), and a broken tape must cost nothing once it is refused. While a tape is
// read, every allocation the library makes is recorded; what it still holds after the tape is
// freed is freed with it.
thread_local std::unordered_set<void*>* t_held = nullptr;

void* ArenaMalloc(std::size_t size) {
    void* p = std::malloc(size);
    if (p != nullptr && t_held != nullptr) {
        t_held->insert(p);
    }
    return p;
}

void* ArenaCalloc(std::size_t count, std::size_t size) {
    void* p = std::calloc(count, size);
    if (p != nullptr && t_held != nullptr) {
        t_held->insert(p);
    }
    return p;
}

void* ArenaRealloc(void* old, std::size_t size) {
    void* p = std::realloc(old, size);
    if (t_held != nullptr && (p != nullptr || size == 0)) {
        t_held->erase(old);
        if (p != nullptr) {
            t_held->insert(p);
        }
    }
    return p;
}

void ArenaFree(void* p) {
    if (t_held != nullptr) {
        t_held->erase(p);
    }
    std::free(p);
}

void StartLibrary();

// Every use of the library runs inside an arena. It starts the library first: what libspectrum
// allocates once for itself must stay outside any one read's arena.
class LibraryArena {
public:
    LibraryArena() {
        StartLibrary();
        t_held = &m_held;
    }
    ~LibraryArena() {
        t_held = nullptr;
        for (void* p : m_held) {
            std::free(p);
        }
    }
    LibraryArena(const LibraryArena&) = delete;
    LibraryArena& operator=(const LibraryArena&) = delete;

private:
    std::unordered_set<void*> m_held;
};

void StartLibrary() {
    static std::once_flag once;
    std::call_once(once, [] {
        static libspectrum_mem_vtable_t arena{ArenaMalloc, ArenaCalloc, ArenaRealloc, ArenaFree};
        libspectrum_mem_set_vtable(&arena);
        libspectrum_error_function = KeepError;
        libspectrum_init();
    });
}

struct TapeDeleter {
    void operator()(libspectrum_tape* tape) const { libspectrum_tape_free(tape); }
};
using TapeHandle = std::unique_ptr<libspectrum_tape, TapeDeleter>;

[[nodiscard]] const char* FormatName(libspectrum_id_t type) {
    switch (type) {
        case LIBSPECTRUM_ID_TAPE_TAP:
            return "TAP";
        case LIBSPECTRUM_ID_TAPE_TZX:
            return "TZX";
        case LIBSPECTRUM_ID_TAPE_PZX:
            return "PZX";
        case LIBSPECTRUM_ID_TAPE_CSW:
            return "CSW";
        case LIBSPECTRUM_ID_TAPE_WAV:
            return "WAV";
        case LIBSPECTRUM_ID_TAPE_Z80EM:
            return "Z80Em";
        case LIBSPECTRUM_ID_TAPE_SPC:
            return "SPC";
        case LIBSPECTRUM_ID_TAPE_STA:
            return "STA";
        case LIBSPECTRUM_ID_TAPE_LTP:
            return "LTP";
        case LIBSPECTRUM_ID_COMPRESSED_BZ2:
            return "bzip2";
        case LIBSPECTRUM_ID_COMPRESSED_GZ:
            return "gzip";
        case LIBSPECTRUM_ID_COMPRESSED_ZIP:
            return "zip";
        default:
            return "tape";
    }
}

[[nodiscard]] const char* ClassName(libspectrum_class_t kind) {
    switch (kind) {
        case LIBSPECTRUM_CLASS_SNAPSHOT:
            return "a snapshot";
        case LIBSPECTRUM_CLASS_RECORDING:
            return "an input recording";
        case LIBSPECTRUM_CLASS_SCREENSHOT:
            return "a screenshot";
        case LIBSPECTRUM_CLASS_HARDDISK:
            return "a hard disk image";
        case LIBSPECTRUM_CLASS_CARTRIDGE_TIMEX:
        case LIBSPECTRUM_CLASS_CARTRIDGE_IF2:
            return "a cartridge";
        case LIBSPECTRUM_CLASS_MICRODRIVE:
            return "a microdrive cartridge";
        case LIBSPECTRUM_CLASS_DISK_PLUS3:
        case LIBSPECTRUM_CLASS_DISK_TRDOS:
        case LIBSPECTRUM_CLASS_DISK_OPUS:
        case LIBSPECTRUM_CLASS_DISK_PLUSD:
        case LIBSPECTRUM_CLASS_DISK_GENERIC:
        case LIBSPECTRUM_CLASS_DISK_DIDAKTIK:
            return "a disk image";
        default:
            return "an archive without a tape (a WAV recording is read only as a plain file)";
    }
}

// What libspectrum makes of the bytes: the outer type (an archive or the tape itself), and the
// type and class of what is inside.
struct Identity {
    libspectrum_id_t outer = LIBSPECTRUM_ID_UNKNOWN;
    libspectrum_id_t inner = LIBSPECTRUM_ID_UNKNOWN;
    libspectrum_class_t kind = LIBSPECTRUM_CLASS_UNKNOWN;
    std::string refused;  // why the file is not even looked into
};

// Runs inside a LibraryArena, as every call into the library does.
Identity Identify(const unsigned char* data, std::size_t size, const std::string& name,
                  std::size_t maxSize) {
    Identity id;
    if (libspectrum_identify_file_raw(&id.outer, name.c_str(), data, size) !=
        LIBSPECTRUM_ERROR_NONE) {
        return {};
    }
    // Telling what an archive holds means unpacking it (archive_check.h).
    if ((id.outer == LIBSPECTRUM_ID_COMPRESSED_BZ2 &&
         !IsWholeBzip2(data, size, maxSize, &id.refused)) ||
        (id.outer == LIBSPECTRUM_ID_COMPRESSED_GZ &&
         !IsWholeGzip(data, size, maxSize, &id.refused))) {
        return id;
    }
    if (libspectrum_identify_file_with_class(&id.inner, &id.kind, name.c_str(), data, size) !=
        LIBSPECTRUM_ERROR_NONE) {
        return {};
    }
    return id;
}

// A plain TAP has no signature: a file libspectrum can't place at all is read as one too, as
// the engine's ImportTap always has. An archive is never a TAP, whatever it holds.
[[nodiscard]] bool IsPlainTap(const Identity& id) {
    return id.outer == LIBSPECTRUM_ID_TAPE_TAP ||
           (id.outer == LIBSPECTRUM_ID_UNKNOWN && id.kind == LIBSPECTRUM_CLASS_UNKNOWN);
}

Block MakeBlock(std::string kind, std::vector<unsigned char> bytes, bool fromPulses) {
    Block block;
    block.kind = std::move(kind);
    block.fromPulses = fromPulses;
    block.checksumSound = disk::HasSoundChecksum(bytes.data(), bytes.size());
    block.bytes = std::move(bytes);
    return block;
}

bool ReadPlainTap(const unsigned char* data, std::size_t size, const std::string& name, Tape* tape,
                  std::string* error) {
    // The framing first: a file that ends inside a block is cut short, not a tape to trust.
    std::size_t at = 0;
    int index = 0;
    for (; at + disk::kTapLengthSize <= size; ++index) {
        const std::size_t length = disk::ReadLe16(data + at);
        at += disk::kTapLengthSize;
        if (length > size - at) {
            *error = name + " ends inside its block " + std::to_string(index + 1) + ": " +
                     std::to_string(size - at) + " of " + std::to_string(length) + " bytes";
            return false;
        }
        at += length;
    }
    if (at != size) {
        *error = name + " ends inside the length of its block " + std::to_string(index + 1);
        return false;
    }
    tape->format = "TAP";
    std::size_t offset = 0;
    const disk::TapRead read = [&](unsigned char* buffer, std::size_t wanted) {
        const std::size_t got = std::min(wanted, size - offset);
        std::copy_n(data + offset, got, buffer);
        offset += got;
        return got;
    };
    std::vector<unsigned char> bytes;
    while (disk::ReadTapBlock(read, &bytes)) {
        tape->blocks.push_back(MakeBlock("Standard Speed Data", bytes, false));
    }
    return true;
}

std::string Describe(libspectrum_tape_block* block) {
    char text[128] = {};
    libspectrum_tape_block_description(text, sizeof text, block);
    return text;
}

[[nodiscard]] std::uint64_t SymbolLength(
    const libspectrum_tape_generalised_data_symbol_table* table, std::size_t which) {
    const libspectrum_tape_generalised_data_symbol* symbol =
        libspectrum_tape_generalised_data_symbol_table_symbol(table, which);
    std::uint64_t length = 0;
    const int pulses = libspectrum_tape_generalised_data_symbol_table_max_pulses(table);
    for (int i = 0; i < pulses; ++i) {
        length += libspectrum_tape_generalised_data_symbol_pulse(symbol, static_cast<size_t>(i));
    }
    return length;
}

// A generalised data block carries bytes when its alphabet is two symbols, one bit each: the
// shorter symbol is 0, as on every tape loader's timing.
std::optional<std::vector<unsigned char>> GeneralisedBytes(libspectrum_tape_block* block) {
    const libspectrum_tape_generalised_data_symbol_table* table =
        libspectrum_tape_block_data_table(block);
    if (table == nullptr || libspectrum_tape_block_bits_per_data_symbol(block) != 1 ||
        libspectrum_tape_generalised_data_symbol_table_symbols_in_table(table) != 2) {
        return std::nullopt;
    }
    const std::size_t symbols =
        libspectrum_tape_generalised_data_symbol_table_symbols_in_block(table);
    const libspectrum_byte* data = libspectrum_tape_block_data(block);
    std::vector<unsigned char> bytes(data == nullptr ? 0 : (symbols + 7) / 8);
    std::copy_n(data, bytes.size(), bytes.begin());
    if (SymbolLength(table, 0) > SymbolLength(table, 1)) {
        for (unsigned char& byte : bytes) {
            byte = static_cast<unsigned char>(~byte);
        }
    }
    return bytes;
}

// The bytes a block stores, or nothing for a block of pulses or of no signal at all.
std::optional<std::vector<unsigned char>> StoredBytes(libspectrum_tape_block* block) {
    switch (libspectrum_tape_block_type(block)) {
        case LIBSPECTRUM_TAPE_BLOCK_ROM:
        case LIBSPECTRUM_TAPE_BLOCK_TURBO:
        case LIBSPECTRUM_TAPE_BLOCK_PURE_DATA:
        case LIBSPECTRUM_TAPE_BLOCK_DATA_BLOCK: {
            const libspectrum_byte* data = libspectrum_tape_block_data(block);
            const std::size_t length =
                data == nullptr ? 0 : libspectrum_tape_block_data_length(block);
            return std::vector<unsigned char>(data, data + length);
        }
        case LIBSPECTRUM_TAPE_BLOCK_GENERALISED_DATA:
            return GeneralisedBytes(block);
        default:
            return std::nullopt;
    }
}

// Blocks that make a signal without storing bytes: what the pulse decoder listens to.
[[nodiscard]] bool IsSignal(libspectrum_tape_type type) {
    switch (type) {
        case LIBSPECTRUM_TAPE_BLOCK_PURE_TONE:
        case LIBSPECTRUM_TAPE_BLOCK_PULSES:
        case LIBSPECTRUM_TAPE_BLOCK_RAW_DATA:
        case LIBSPECTRUM_TAPE_BLOCK_GENERALISED_DATA:
        case LIBSPECTRUM_TAPE_BLOCK_RLE_PULSE:
        case LIBSPECTRUM_TAPE_BLOCK_PULSE_SEQUENCE:
            return true;
        default:
            return false;
    }
}

// Plays the tape edge by edge, as a tape deck would, following its loops, calls and jumps.
class Player {
public:
    Player(libspectrum_tape* tape, Tape* out, const ReadLimits& limits)
        : m_tape(tape), m_out(out), m_limits(limits) {}

    bool Play(const std::string& name, std::string* error) {
        bool blockStarts = true;
        std::uint64_t edges = 0;
        std::uint64_t played = 0;
        for (;;) {
            if (blockStarts) {
                if (++played > m_limits.maxBlocksPlayed) {
                    *error = name + ": the tape's jumps and loops never reach its end";
                    return false;
                }
                StartBlock(libspectrum_tape_current_block(m_tape));
                blockStarts = false;
            }
            libspectrum_dword length = 0;
            int flags = 0;
            t_libraryError.clear();
            if (libspectrum_tape_get_next_edge(&length, &flags, m_tape) != LIBSPECTRUM_ERROR_NONE) {
                *error = name + ": " + t_libraryError;
                return false;
            }
            if (++edges > m_limits.maxEdges) {
                *error = name + ": the tape plays for longer than any tape could";
                return false;
            }
            if (m_listening) {
                if ((flags & LIBSPECTRUM_TAPE_FLAGS_NO_EDGE) != 0) {
                    m_decoder.Advance(length);
                } else {
                    m_decoder.Edge(length);
                }
                CollectDecoded();
            }
            if ((flags & LIBSPECTRUM_TAPE_FLAGS_TAPE) != 0) {
                break;
            }
            blockStarts = (flags & LIBSPECTRUM_TAPE_FLAGS_BLOCK) != 0;
        }
        m_decoder.Finish();
        CollectDecoded();
        return true;
    }

private:
    void StartBlock(libspectrum_tape_block* block) {
        if (block == nullptr) {
            m_listening = false;
            return;
        }
        std::optional<std::vector<unsigned char>> bytes = StoredBytes(block);
        if (bytes) {
            // A block of its own bytes: whatever the decoder was reading ends before it.
            m_decoder.Finish();
            CollectDecoded();
            m_out->blocks.push_back(MakeBlock(Describe(block), std::move(*bytes), false));
            m_listening = false;
            return;
        }
        m_listening = true;
        if (IsSignal(libspectrum_tape_block_type(block))) {
            m_signalKind = Describe(block);
        } else {
            m_out->blocks.push_back(MakeBlock(Describe(block), {}, false));
        }
    }

    void CollectDecoded() {
        for (DecodedBlock& decoded : m_decoder.TakeBlocks()) {
            m_out->blocks.push_back(MakeBlock(m_signalKind, std::move(decoded.bytes), true));
        }
    }

    libspectrum_tape* m_tape;
    Tape* m_out;
    const ReadLimits& m_limits;
    PulseDecoder m_decoder;
    bool m_listening = false;
    std::string m_signalKind = "Pulses";
};

bool ReadFileBytes(const std::string& path, std::vector<unsigned char>* bytes, std::string* error,
                   std::size_t maxSize) {
    const int fd = platform::OpenRegularFile(path.c_str(), error);
    if (fd < 0) {
        *error = "cannot read " + path + ": " + *error;
        return false;
    }
    std::vector<unsigned char> data;
    unsigned char chunk[64 * 1024];
    for (;;) {
        const ssize_t got = ::read(fd, chunk, sizeof chunk);
        if (got < 0) {
            *error = "cannot read " + path + ": " + std::strerror(errno);
            ::close(fd);
            return false;
        }
        if (got == 0) {
            break;
        }
        if (data.size() + static_cast<std::size_t>(got) > maxSize) {
            *error = path + " is larger than any tape (" + std::to_string(maxSize >> 20) + " MiB)";
            ::close(fd);
            return false;
        }
        data.insert(data.end(), chunk, chunk + got);
    }
    ::close(fd);
    *bytes = std::move(data);
    return true;
}

}  // namespace

bool IsImported(const Block& block) {
    return !block.bytes.empty() && (!block.fromPulses || block.checksumSound);
}

// The read itself, in whatever process runs it.
static bool ReadInThisProcess(const unsigned char* data, std::size_t size, const std::string& name,
                              Tape* tape, std::string* error, const ReadLimits& limits) {
    *tape = Tape{};
    const LibraryArena arena;  // outlives every libspectrum object below
    const Identity id = Identify(data, size, name, limits.maxUnpackedSize);
    if (!id.refused.empty()) {
        *error = name + " is not a readable tape: " + id.refused;
        return false;
    }
    if (IsPlainTap(id)) {
        tape->plainTap = true;
        return ReadPlainTap(data, size, name, tape, error);
    }
    if (id.kind != LIBSPECTRUM_CLASS_TAPE) {
        *error = name + " is not a tape: it reads as " + ClassName(id.kind);
        return false;
    }
    // libspectrum's reader of this old format frees the tape itself when a block is damaged and
    // decompresses without bounds: a damaged file would crash the program, so none is read.
    if (id.inner == LIBSPECTRUM_ID_TAPE_WARAJEVO) {
        *error = name + " is a Warajevo tape, a format Brindle does not read";
        return false;
    }
    tape->format = FormatName(id.inner);
    if (id.outer != id.inner) {
        tape->format += std::string(" in ") + FormatName(id.outer);
    }
    TapeHandle handle(libspectrum_tape_alloc());
    t_libraryError.clear();
    if (libspectrum_tape_read(handle.get(), data, size, LIBSPECTRUM_ID_UNKNOWN, name.c_str()) !=
        LIBSPECTRUM_ERROR_NONE) {
        *error = name + " is not a readable " + tape->format + " tape: " + t_libraryError;
        // Some of the library's readers free or clear the tape themselves when they fail: it is
        // not touched again, and the arena frees whatever of it is left.
        handle.release();
        return false;
    }
    if (!libspectrum_tape_present(handle.get())) {
        return true;
    }
    if (const std::string problem = FindUnplayableBlock(handle.get()); !problem.empty()) {
        *error = name + " is not a readable " + tape->format + " tape: " + problem;
        return false;
    }
    libspectrum_tape_nth_block(handle.get(), 0);
    return Player(handle.get(), tape, limits).Play(name, error);
}

bool ReadTapeBytes(const unsigned char* data, std::size_t size, const std::string& name, Tape* tape,
                   std::string* error, const ReadLimits& limits) {
    std::string answer;
    std::string failure;
    const bool ran = RunIsolated(
        [&] {
            Tape read;
            std::string why;
            const bool ok = ReadInThisProcess(data, size, name, &read, &why, limits);
            return EncodeRead(ok, why, read);
        },
        limits.maxSeconds, &answer, &failure);
    bool read = false;
    if (!ran) {
        *error = name + " is not a readable tape: " + failure;
        *tape = Tape{};
        return false;
    }
    if (!DecodeRead(answer, &read, error, tape)) {
        *error = name + " is not a readable tape: the tape library stopped on it";
        *tape = Tape{};
        return false;
    }
    return read;
}

bool ReadTape(const std::string& path, Tape* tape, std::string* error, const ReadLimits& limits) {
    std::vector<unsigned char> bytes;
    if (!ReadFileBytes(path, &bytes, error, limits.maxFileSize)) {
        *tape = Tape{};
        tape->plainTap = true;
        return false;
    }
    return ReadTapeBytes(bytes.data(), bytes.size(), path, tape, error, limits);
}

const char* TapeOpenFilter() {
    return "Tape files (*.tap)|*.tap|"
           "Tapes and archives|"
           "*.tap;*.tzx;*.pzx;*.csw;*.wav;*.spc;*.sta;*.ltp;*.zip;*.gz;*.bz2|"
           "All files|*.*||";
}

}  // namespace tape
