// The text form of GLOB_Object and its structural equality.
#include "GLOB/GLOB_Object.h"

#include "GLIB/GLIB_Exception.h"
#include "GLIB/GLIB_Log.h"
#include "GLOB/GLOB_Array.h"
#include "GLOB/GLOB_DepthGuard.h"
#include "GLOB/GLOB_Dict.h"
#include "GLOB/GLOB_Impl.h"
#include "GLOB/GLOB_Stream.h"
#include "GLOB/GLOB_StreamLexer.h"

#include <algorithm>
#include <cstring>
#include <ostream>
#include <set>
#include <tuple>

namespace {

bool NumbersEqual(double a, double b) {
    const double d = a - b;
    return d >= -1e-6 && d <= 1e-6;
}

// Objects one Print writes before it stops expanding arrays. An indirect
// array is written at each reference, so a few arrays that refer twice to
// the next one stand for an exponential text.
constexpr size_t MaxPrintedObjects = size_t{1} << 16;

void PrintObject(std::ostream& os, const GLOB_Object& obj, GLOB_DepthGuard*& innermost, size_t& printed) {
    ++printed;
    const int32_t type = obj.Type();
    switch (type) {
    case GLOB_Object::KindNull:
        os << "null";
        break;
    case GLOB_Object::KindBoolean:
        os << (obj.AsBoolean() ? "true" : "false");
        break;
    case GLOB_Object::KindInteger:
        os << obj.AsInteger();
        break;
    case GLOB_Object::KindReal: {
        char text[GLOB_StreamLexer::MaxFixedChars];
        const int n = GLOB_StreamLexer::FormatFixed(obj.AsReal(), text);
        os.write(text, n);
        break;
    }
    case GLOB_Object::KindName:
        obj.AsName().Escaped().Print(os);
        break;
    case GLOB_Object::KindString:
        os << "(";
        obj.AsString().Print(os);
        os << ")";
        break;
    case GLOB_Object::KindArray: {
        // An array inside itself, nested too deep, or past the budget is not
        // expanded.
        const bool inside = innermost && innermost->Encloses(obj);
        if (inside || !GLOB_DepthGuard::AdmitsInside(innermost) || printed > MaxPrintedObjects) {
            os << "[ ... ]";
            break;
        }
        const GLOB_DepthGuard level(innermost, "GLOB_Object::Print", &obj);
        const GLOB_Array elements = obj.AsArray();
        os << "[ ";
        for (uint32_t i = 0; i < elements.Length(); ++i) {
            PrintObject(os, elements.Get(i), innermost, printed);
            os << " ";
        }
        os << "]";
        break;
    }
    case GLOB_Object::KindDict:
        os << "-dict-";
        break;
    case GLOB_Object::KindStream:
        os << "-stream-";
        break;
    case GLOB_Object::KindMark:
        os << "{mark}";
        break;
    default:
        os << "Unknown type: " << type;
        break;
    }
}

// One structural comparison. Pairs of containers already entered count as
// equal when met again: either the comparison of the pair is still under way
// (a cycle, matched on both sides) or it ended equal, since any difference
// ends the whole comparison.
class DeepComparison {
public:
    static DeepComparison* s_active;

    bool Compare(const GLOB_Object& a, const GLOB_Object& b) {
        if (a.GetImpl() == b.GetImpl() && (a.GetImpl() == nullptr || a.GetImpl()->IsEqual(a, b)))
            return true;
        const int32_t ta = a.Type();
        const int32_t tb = b.Type();
        if (ta != tb) {
            const bool numbers = (ta == GLOB_Object::KindInteger && tb == GLOB_Object::KindReal) ||
                                 (ta == GLOB_Object::KindReal && tb == GLOB_Object::KindInteger);
            return numbers && NumbersEqual(a.AsNumber(), b.AsNumber());
        }
        switch (ta) {
        case GLOB_Object::KindNull:
        case GLOB_Object::KindMark:
            return true;
        case GLOB_Object::KindBoolean:
            return a.AsBoolean() == b.AsBoolean();
        case GLOB_Object::KindInteger:
            return a.AsInteger() == b.AsInteger();
        case GLOB_Object::KindReal:
            return NumbersEqual(a.AsNumber(), b.AsNumber());
        case GLOB_Object::KindName:
            return a.AsName() == b.AsName();
        case GLOB_Object::KindString:
            return a.AsString() == b.AsString();
        case GLOB_Object::KindArray:
        case GLOB_Object::KindDict:
        case GLOB_Object::KindStream: {
            if (!m_entered.insert(PairOf(a, b)).second)
                return true;
            const GLOB_DepthGuard level(m_innermost, "GLOB_Object::IsDeepEqual", &a);
            if (ta == GLOB_Object::KindArray)
                return a.AsArray().IsDeepEqual(b.AsArray());
            if (ta == GLOB_Object::KindDict)
                return a.AsDict().IsDeepEqual(b.AsDict());
            return SameData(a, b);
        }
        default:
            GLIB_LOG(GLIB_LogFatal, "GLOB_Object::IsDeepEqual unsupported object type: " << ta);
            return false;
        }
    }

private:
    using Words = std::tuple<uint32_t, uint32_t, uint32_t>;
    using Pair = std::tuple<GLOB_Impl*, Words, GLOB_Impl*, Words>;

    static Words WordsOf(const GLOB_Object& obj) {
        const uint32_t* w = obj.GetHandle().m_words;
        return Words(w[0], w[1], w[2]);
    }
    static Pair PairOf(const GLOB_Object& a, const GLOB_Object& b) {
        return Pair(a.GetImpl(), WordsOf(a), b.GetImpl(), WordsOf(b));
    }

    // The decoded data of two streams, chunk by chunk.
    static bool SameData(const GLOB_Object& a, const GLOB_Object& b) {
        GLOB_Stream streamA = a.OpenStream(2);
        GLOB_Stream streamB = b.OpenStream(2);
        FILT_FilterBuffer* bufA = streamA.Read();
        FILT_FilterBuffer* bufB = streamB.Read();
        for (;;) {
            if (bufA->DataAvailable() == 0 && !bufA->IsEOD()) {
                bufA = streamA.Read();
                continue;
            }
            if (bufB->DataAvailable() == 0 && !bufB->IsEOD()) {
                bufB = streamB.Read();
                continue;
            }
            const bool endA = bufA->DataAvailable() == 0;
            const bool endB = bufB->DataAvailable() == 0;
            if (endA || endB)
                return endA && endB;
            const FILT_Size n = std::min(bufA->DataAvailable(), bufB->DataAvailable());
            if (std::memcmp(bufA->GetPtr(), bufB->GetPtr(), n) != 0)
                return false;
            bufA->AdvanceGetPtr(n);
            bufB->AdvanceGetPtr(n);
        }
    }

    GLOB_DepthGuard* m_innermost = nullptr;
    std::set<Pair> m_entered;
};

DeepComparison* DeepComparison::s_active = nullptr;

}  // namespace

std::ostream& GLOB_Object::Print(std::ostream& os) const {
    GLOB_DepthGuard* innermost = nullptr;
    size_t printed = 0;
    PrintObject(os, *this, innermost, printed);
    return os;
}

bool GLOB_Object::IsDeepEqual(const GLOB_Object& other) const {
    // Comparisons of elements, reached through GLOB_Array and GLOB_Dict, join
    // the comparison under way.
    if (DeepComparison::s_active)
        return DeepComparison::s_active->Compare(*this, other);
    DeepComparison comparison;
    struct Activate {
        Activate(DeepComparison* c) { DeepComparison::s_active = c; }
        ~Activate() { DeepComparison::s_active = nullptr; }
    } activate(&comparison);
    return comparison.Compare(*this, other);
}
