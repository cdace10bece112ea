// A CCITT image whose data do not decode refuses its page, and leaves
// nothing behind: the decoder's tables live as long as the plug-in that
// uses them, which is unloaded before the process ends.
#include "TS_ProgramFixture.h"

#ifdef __SANITIZE_ADDRESS__
#include <sanitizer/lsan_interface.h>
#endif

namespace {

// Coded data whose first rows end in a bad code.
const std::string BadRows(
    "\x10\x36\x2b\x8e\x13\x08\x5b\x5b\x8e\x95\x71\xf8\x22\xa2\xef\x90\x40\xb4\xc7\xf2\x88\x16\xc0\x00"
    "\x63\x1e\xf1\xff\xce\x8b\x00\x9d\x16\xd6\xec\xaa\xea\x29\x2c\x2a\x5a\x6c\x95\x7e\x7d\x69\x03\xd4"
    "\x3f\xd5\x18\x7b\x9f\x97\x1c\xc7\x7f\x75\xe3\x45\x7a\xe9\x4e\xe5\x4d\x26\xeb\xa4\x85\x47\x96\x57"
    "\x8e\xc8\xfb\xb1\x99\x2d\xfc\x3b\xd2\x96\x90\x41\x79\x2f\xbd\x73\x8c\x36\x67\x95\xcb\x95\x84\x05"
    "\xee\xba\xaa\x5d",
    100);

TEST_F(TS_ProgramTest, ACCITTImageThatDoesNotDecodeIsRefusedWithoutALeak) {
    const struct {
        const char* what;
        const char* params;
    } rows[] = {
        {"CMYK of width 0", "/Width 0 /Height 46341 /BitsPerComponent 8 /ColorSpace /DeviceCMYK"},
        {"RGB of width 0", "/Width 0 /Height 46341 /BitsPerComponent 8 /ColorSpace /DeviceRGB"},
        {"grey of width 0", "/Width 0 /Height 46341 /BitsPerComponent 8 /ColorSpace /DeviceGray"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        const std::string& data = BadRows;
        const std::string image = std::string("<< /Type /XObject /Subtype /Image ") + row.params +
                                  " /Filter /CCITTFaxDecode /Length " + std::to_string(data.size()) +
                                  " >>\nstream\n" + data + "\nendstream";
        const std::string file =
            WriteFile("ccitt.pdf", TS_OnePage("/XObject << /Im 5 0 R >>", "q 80 0 0 80 10 10 cm /Im Do Q", {image}));
        const TS_Run run = Run(WithOut({file, "--dpi", "150"}));
        EXPECT_EQ(run.m_code, 1) << run.m_err;
        EXPECT_NE(run.m_err.find(file + ": page 1 was not separated: "), std::string::npos) << run.m_err;
#ifdef __SANITIZE_ADDRESS__
        EXPECT_EQ(__lsan_do_recoverable_leak_check(), 0) << "memory left unreachable after the run";
#endif
    }
}

}  // namespace
