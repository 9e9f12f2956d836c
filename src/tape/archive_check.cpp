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
    char scratch[64 * 1024];
    std::size_t unpacked = 0;
    for (;;) {
        stream.next_out = scratch;
        stream.avail_out = sizeof scratch;
        const int result = BZ2_bzDecompress(&stream);
        unpacked += sizeof scratch - stream.avail_out;
        if (unpacked > maxSize) {
            *why = "the archive unpacks to more than any tape";
            return false;
        }
        if (result == BZ_STREAM_END) {
            return true;
        }
        if (result != BZ_OK) {
            *why = "the archive is damaged";
            return false;
        }
        if (stream.avail_in == 0 && stream.avail_out != 0) {
            *why = "the archive is cut short";
            return false;
        }
    }
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
    Bytef scratch[64 * 1024];
    std::size_t unpacked = 0;
    for (;;) {
        stream.next_out = scratch;
        stream.avail_out = sizeof scratch;
        const int result = inflate(&stream, Z_NO_FLUSH);
        unpacked += sizeof scratch - stream.avail_out;
        if (unpacked > maxSize) {
            *why = "the archive unpacks to more than any tape";
            return false;
        }
        if (result == Z_STREAM_END) {
            return true;
        }
        if (result != Z_OK) {
            *why = result == Z_BUF_ERROR ? "the archive is cut short" : "the archive is damaged";
            return false;
        }
    }
}

}  // namespace tape
