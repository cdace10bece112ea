/* MuPDF's DCT decoder keeps libjpeg's standard error manager, which prints
 * its warnings to standard error as they stand ("Corrupt JPEG data: ...").
 * The drawing keeps content problems off the terminal, as it keeps MuPDF's
 * own warnings: the engine says what is wrong with an image in its words.
 * The program and its tests link with --wrap=jpeg_std_error, so every
 * standard error manager made in them comes through here. */
#include <stdio.h>

#include <jpeglib.h>

struct jpeg_error_mgr* __real_jpeg_std_error(struct jpeg_error_mgr* err);
struct jpeg_error_mgr* __wrap_jpeg_std_error(struct jpeg_error_mgr* err);

static void KeepOff(j_common_ptr jpeg) { (void)jpeg; }

struct jpeg_error_mgr* __wrap_jpeg_std_error(struct jpeg_error_mgr* err) {
    struct jpeg_error_mgr* standard = __real_jpeg_std_error(err);
    standard->output_message = KeepOff;
    return standard;
}
