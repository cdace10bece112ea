// The rows of the host-call tables. Each unit of wrappers keeps one table,
// PDFL_<unit>.inc, with one row per wrapper on one line:
//
//   PDFL_CALL(name, table, slot, result, (parameters), (arguments))
//
// Its header includes the table with PDFL_DECLARE_HOST_CALL and its source
// with PDFL_DEFINE_HOST_CALL, so declaration and body cannot drift. The
// line a wrapper reports is its row's own line in the table.
#pragma once

#include "Exchange/XCHG/XCHG_HostBinding.h"
#include "hostpdf/PDFL_ExceptionHandler.h"
#include "viewer/host_api.h"

#include <type_traits>

#define PDFL_DECLARE_HOST_CALL(name, table, slot, result, params, args) result name params;

#define iPDFL_COMMA_ARGS(...) __VA_OPT__(, ) __VA_ARGS__

// The result must be the slot's own; each row passes its arguments in the
// slot's order, converted to the slot's parameter types.
#define PDFL_DEFINE_HOST_CALL(unit, name, table, slot, result, params, args)                     \
    result name params {                                                                         \
        static_assert(std::is_same_v<result, decltype(std::declval<typename PDFL_Slot<           \
                                                          PDFL_##table##Table, slot>::Proc>()    \
                                                          args)>,                                \
                      #name ": the result is not the slot's");                                   \
        return PDFL_GuardedCall<PDFL_##table##Table, slot>(                                      \
            gXCHG_##table##HFT, unit, __LINE__ iPDFL_COMMA_ARGS args);                           \
    }
