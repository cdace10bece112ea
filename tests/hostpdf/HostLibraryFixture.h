// The host library initialised over a host fixture for each test, and the
// default exception mapper put back after it.
#pragma once

#include "hostpdf/COSF_PDFL_Library.h"
#include "hostpdf/PDFL_ExceptionHandler.h"

template <class Base>
class WithHostLibrary : public Base {
protected:
    void SetUp() override {
        Base::SetUp();
        COSF_PDFL_Library::Initialize();
    }
    void TearDown() override {
        PDFL_SetExceptionMapper(PDFL_MapException);
        Base::TearDown();
    }
};
