#include "jpeg_scans.h"

#include <cstring>

namespace {

constexpr int kSOI = 0xD8, kEOI = 0xD9, kSOS = 0xDA, kCOM = 0xFE, kTEM = 0x01;
constexpr int kAPP0 = 0xE0, kAPP14 = 0xEE;
constexpr int kSOF2 = 0xC2, kSOF10 = 0xCA;   // progressive, Huffman or arithmetic

bool IsRestart(int marker) { return marker >= 0xD0 && marker <= 0xD7; }

// Buffered reading with a look at the bytes still in the buffer, so that
// skipping a scan is a search for 0xFF rather than a call per byte.
class Reader {
public:
    explicit Reader(FILE* stream) : stream_(stream) {}
    Reader(const Reader&) = delete;
    Reader& operator=(const Reader&) = delete;

    int Get() {
        if (at_ == end_ && !Fill()) return -1;
        return buffer_[at_++];
    }
    bool Read(BYTE* to, size_t count) {
        while (count > 0) {
            if (at_ == end_ && !Fill()) return false;
            size_t n = end_ - at_ < count ? end_ - at_ : count;
            std::memcpy(to, buffer_ + at_, n);
            at_ += n;
            to += n;
            count -= n;
        }
        return true;
    }
    // Copies (when out is set) or skips the entropy-coded bytes up to the
    // next marker, which it answers (-1 at the end of the stream).
    int ThroughScan(std::vector<BYTE>* out) {
        for (;;) {
            if (at_ == end_ && !Fill()) return -1;
            const BYTE* from = buffer_ + at_;
            const void* mark = std::memchr(from, 0xFF, end_ - at_);
            const size_t plain = mark ? static_cast<const BYTE*>(mark) - from : end_ - at_;
            if (out) out->insert(out->end(), from, from + plain);
            at_ += plain;
            if (!mark) continue;
            ++at_;   // the 0xFF
            int next = Get();
            while (next == 0xFF) next = Get();   // fill bytes
            if (next < 0) return -1;
            if (next == 0x00 || IsRestart(next)) {
                if (out) {
                    out->push_back(0xFF);
                    out->push_back(static_cast<BYTE>(next));
                }
                continue;
            }
            return next;
        }
    }

private:
    bool Fill() {
        at_ = 0;
        end_ = std::fread(buffer_, 1, sizeof buffer_, stream_);
        return end_ > 0;
    }

    FILE* stream_;
    BYTE buffer_[64 * 1024];
    size_t at_ = 0, end_ = 0;
};

void PutMarker(std::vector<BYTE>* out, int marker) {
    out->push_back(0xFF);
    out->push_back(static_cast<BYTE>(marker));
}

// The next marker after a segment: 0xFF (any number of them), then the code.
int NextMarker(Reader& in) {
    int byte = in.Get();
    if (byte != 0xFF) return -1;
    while (byte == 0xFF) byte = in.Get();
    return byte;
}

}  // namespace

bool ProgressiveDcScans(FILE* stream, std::vector<BYTE>* out) {
    out->clear();
    if (!stream) return false;
    Reader in(stream);
    if (in.Get() != 0xFF || in.Get() != kSOI) return false;
    PutMarker(out, kSOI);
    bool progressive = false, dcScan = false;
    // Components sampled below the frame's finest rate: their AC scans are
    // kept, since the decoder widens them with more than their DC term.
    std::vector<int> subsampled;
    int marker = NextMarker(in);
    for (;;) {
        if (marker < 0) break;   // ended early: what was read stands
        if (marker == kEOI) break;
        if (marker == kTEM || IsRestart(marker)) {   // no length, nothing to keep
            marker = NextMarker(in);
            continue;
        }
        BYTE length[2];
        if (!in.Read(length, 2)) break;
        const size_t size = static_cast<size_t>(length[0]) << 8 | length[1];
        if (size < 2) break;
        std::vector<BYTE> segment(size - 2);
        if (!in.Read(segment.data(), segment.size())) break;
        if (marker == kSOF2 || marker == kSOF10) {
            progressive = true;
            // Precision, height, width, count, then id and H/V per component.
            if (segment.size() < 6) break;
            const size_t count = segment[5];
            if (segment.size() < 6 + 3 * count) break;
            int maxH = 0, maxV = 0;
            for (size_t c = 0; c < count; ++c) {
                const int factors = segment[6 + 3 * c + 1];
                if ((factors >> 4) > maxH) maxH = factors >> 4;
                if ((factors & 15) > maxV) maxV = factors & 15;
            }
            for (size_t c = 0; c < count; ++c) {
                const int factors = segment[6 + 3 * c + 1];
                if ((factors >> 4) < maxH || (factors & 15) < maxV) subsampled.push_back(segment[6 + 3 * c]);
            }
        }
        if (marker == kSOS) {
            if (!progressive || segment.empty()) break;
            // Components, then Ss, Se, Ah/Al: Ss 0 is a DC scan.
            const size_t ssAt = 1 + 2 * static_cast<size_t>(segment[0]);
            if (ssAt >= segment.size()) break;
            bool keep = segment[ssAt] == 0;
            for (size_t c = 0; !keep && c < segment[0]; ++c)
                for (int id : subsampled) keep = keep || segment[1 + 2 * c] == id;
            if (keep) {
                PutMarker(out, kSOS);
                out->insert(out->end(), length, length + 2);
                out->insert(out->end(), segment.begin(), segment.end());
                dcScan = true;
            }
            marker = in.ThroughScan(keep ? out : nullptr);
            continue;
        }
        const bool unneeded = marker == kCOM || (marker > kAPP0 && marker <= 0xEF && marker != kAPP14);
        if (!unneeded) {
            PutMarker(out, marker);
            out->insert(out->end(), length, length + 2);
            out->insert(out->end(), segment.begin(), segment.end());
        }
        marker = NextMarker(in);
    }
    if (!progressive || !dcScan) {
        out->clear();
        return false;
    }
    PutMarker(out, kEOI);
    return true;
}
