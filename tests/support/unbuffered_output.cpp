// Linked into every test program: its output reaches the log as it is
// written.  Under Wine the runtime buffers a pipe fully, so a program that
// dies would otherwise leave an empty log, without the name of the test that
// was running.
#include <cstdio>

namespace {

struct UnbufferedOutput {
    UnbufferedOutput() {
        std::setvbuf(stdout, nullptr, _IONBF, 0);
        std::setvbuf(stderr, nullptr, _IONBF, 0);
    }
};
const UnbufferedOutput g_unbuffered;

}  // namespace
