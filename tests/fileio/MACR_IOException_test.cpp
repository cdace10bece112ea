// Win32 error codes to exception classes, and the formatted I/O message.
#include "fileio/MACR_IOException.h"

#include "fileio/MACR_FileSpec.h"
#include "win32/win32.h"

#include <gtest/gtest.h>

#include <cstring>

TEST(MACR_IOException, EachWin32ErrorThrowsItsClass) {
    const struct { uint32_t error, code; } cases[] = {
        {5, 1121151},   {38, 1121153}, {80, 1121154}, {183, 1121154}, {2, 1121155},  {6, 1121157},
        {123, 1121158}, {25, 1121159}, {3, 1121160},  {30, 1121161},  {32, 1121162}, {4, 1121163},
        {19, 1121165},  {29, 1121166}, {999, 1121164}, {112, 1121164},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(i);
        try {
            MACR_ThrowIOException("msg", cases[i].error, "unit", 7);
            ADD_FAILURE() << "nothing thrown";
        } catch (const GLIB_Exception& e) {  // the family is caught as a GLIB_Exception too
            EXPECT_EQ(e.Code(), cases[i].code);
            EXPECT_STREQ(e.What(), "msg");
        }
    }
    EXPECT_NO_THROW(MACR_ThrowIOException("msg", 0, "unit", 7));
}

TEST(MACR_IOException, FormattedMessageNamesCodeFileSpecAndSystemText) {
    const MACR_FileSpec fileSpec("/data/in.pdf");
    char buffer[512];
    MACR_FormatIOError(buffer, sizeof buffer, ERROR_FILE_NOT_FOUND, fileSpec);
    EXPECT_STREQ(buffer,
                 "IOError [error]: 2 [spec]: /data/in.pdf [msg]: The system cannot find the file specified.\r\n");
    MACR_FormatIOError(buffer, sizeof buffer, 999, fileSpec);  // no system text
    EXPECT_STREQ(buffer, "IOError [error]: 999 [spec]: /data/in.pdf [msg]: ");  // file spec, no text
    char small[20];
    MACR_FormatIOError(small, sizeof small, ERROR_FILE_NOT_FOUND, fileSpec);
    EXPECT_EQ(std::strlen(small), sizeof small - 1);
}
