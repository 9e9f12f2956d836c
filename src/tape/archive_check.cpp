#include "tape/archive_check.h"

#include <bzlib.h>
#include <zlib.h>

#include <climits>
#include <memory>

namespace tape {

namespace {

struct StreamEnd {
    void operator()(bz_stream* stream) const { BZ2_bzDecompressEnd(stream); }
    void operator()(z_stream* stream) const { inflateEnd(stream); }
};

// zlib's window bits for a gzip wrapper around the deflate stream.
constexpr int kGzipWindow = 16 + MAX_WBITS;

// What one call of the unpacking library gave.
enum class Outcome { More, End, Damaged, CutShort };

// Unpacks through one scratch buffer until the stream ends, keeping nothing but the count:
// unpack(out, capacity, &produced) calls the library once.
template <typename Unpack>
bool Drain(std::size_t maxSize, std::string* why, Unpack unpack) {
    unsigned char scratch[64 * 1024];
    std::size_t unpacked = 0;
    for (;;) {
        unsigned produced = 0;
        const Outcome outcome = unpack(scratch, unsigned{sizeof scratch}, &produced);
        unpacked += produced;
        if (unpacked > maxSize) {
            *why = "the archive unpacks to more than any tape";
            return false;
        }
        switch (outcome) {
            case Outcome::More:
                break;
            case Outcome::End:
                return true;
            case Outcome::Damaged:
                *why = "the archive is damaged";
                return false;
            case Outcome::CutShort:
                *why = "the archive is cut short";
                return false;
        }
    }
}

}  // namespace

bool IsWholeBzip2(const unsigned char* data, std::size_t size, std::size_t maxSize,
                  std::string* why) {
    if (size > UINT_MAX) {
        *why = "the archive is larger than any tape";
        return false;
    }
    bz_stream stream{};
    if (BZ2_bzDecompressInit(&stream, 0, 0) != BZ_OK) {
        *why = "the archive can't be unpacked";
        return false;
    }
    const std::unique_ptr<bz_stream, StreamEnd> end(&stream);
    // bzlib takes its input through non-const pointers but never writes to it.
    stream.next_in = const_cast<char*>(reinterpret_cast<const char*>(data));
    stream.avail_in = static_cast<unsigned>(size);
    return Drain(maxSize, why, [&](unsigned char* out, unsigned capacity, unsigned* produced) {
        stream.next_out = reinterpret_cast<char*>(out);
        stream.avail_out = capacity;
        const int result = BZ2_bzDecompress(&stream);
        *produced = capacity - stream.avail_out;
        if (result == BZ_STREAM_END) {
            return Outcome::End;
        }
        if (result != BZ_OK) {
            return Outcome::Damaged;
        }
        return stream.avail_in == 0 && stream.avail_out != 0 ? Outcome::CutShort : Outcome::More;
    });
}

bool IsWholeGzip(const unsigned char* data, std::size_t size, std::size_t maxSize,
                 std::string* why) {
    if (size > UINT_MAX) {
        *why = "the archive is larger than any tape";
        return false;
    }
    z_stream stream{};
    if (inflateInit2(&stream, kGzipWindow) != Z_OK) {
        *why = "the archive can't be unpacked";
        return false;
    }
    const std::unique_ptr<z_stream, StreamEnd> end(&stream);
    // zlib takes its input through a non-const pointer but never writes to it.
    stream.next_in = const_cast<Bytef*>(data);
    stream.avail_in = static_cast<uInt>(size);
    return Drain(maxSize, why, [&](unsigned char* out, unsigned capacity, unsigned* produced) {
        stream.next_out = out;
        stream.avail_out = capacity;
        const int result = inflate(&stream, Z_NO_FLUSH);
        *produced = capacity - stream.avail_out;
        if (result == Z_STREAM_END) {
            return Outcome::End;
        }
        if (result != Z_OK) {
            return result == Z_BUF_ERROR ? Outcome::CutShort : Outcome::Damaged;
        }
        return Outcome::More;
    });
}

}  // namespace tape
