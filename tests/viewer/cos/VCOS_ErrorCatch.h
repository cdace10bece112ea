// Runs a call expected to throw VCOS_Error and gives the error.
#pragma once

#include <gtest/gtest.h>

#include "viewer/cos/VCOS_Error.h"

template <typename Call>
VCOS_Error VCOS_Thrown(Call call) {
    try {
        call();
    } catch (const VCOS_Error& error) {
        return error;
    }
    ADD_FAILURE() << "no VCOS_Error";
    return VCOS_Error(VCOS_ErrorKind::BadObject, "");
}
