#include "FILT/FILT_Utils.h"

#include "FILT/FILT_FilterPipe.h"
#include "GLIB/GLIB_New.h"

#include <cstring>
#include <memory>

namespace {

FILT_FilterPipe* AsPipe(FILT_Filter* f) {
    return std::strcmp(f->Name(), "FILT_FilterPipe") == 0 ? dynamic_cast<FILT_FilterPipe*>(f) : nullptr;
}

}  // namespace

FILT_Filter* FILT_ConcatenateFilters(FILT_Filter* a, FILT_Filter* b) {
    if (a == nullptr)
        return b;
    if (b == nullptr)
        return a;
    std::unique_ptr<FILT_Filter> first(a), second(b);
    if (FILT_FilterPipe* pipe = AsPipe(a)) {
        pipe->Append(second.release());
        return first.release();
    }
    if (FILT_FilterPipe* pipe = AsPipe(b)) {
        pipe->Prepend(first.release());
        return second.release();
    }
    std::unique_ptr<FILT_FilterPipe> pipe(GLIB_NEW FILT_FilterPipe);
    pipe->Append(first.release());
    pipe->Append(second.release());
    return pipe.release();
}
