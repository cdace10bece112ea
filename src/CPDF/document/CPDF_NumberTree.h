// A PDF number tree (ISO 32000-1, 7.9.7), such as the catalog's
// "PageLabels": Integer keys mapped to values.
//
// A node is a Dict. A leaf holds "Nums", [key1 value1 key2 value2 ...], keys
// increasing; an intermediate node holds "Kids", nodes that each carry
// "Limits" [low high], the least and greatest key below them. A node with
// "Nums" is a leaf even when it also holds "Kids".
//
// Lookup never throws for what a document holds: it fails (false) for a node
// that is not a Dict or has neither entry, "Nums" that are not an Array of
// even, non-zero length or that hold a key that is not an Integer, "Kids"
// that are not an Array or hold a kid that is not a Dict with "Limits" of
// two Integers. A walk reaching a node it has already been through (Kids
// that loop, or shared by two parents) fails there, so each node is searched
// at most once; one nested deeper than GLOB_Object::MaxNesting fails too.
#pragma once

#include "GLOB/GLOB_Object.h"

#include <cstdint>

class CPDF_NumberTree {
public:
    // Lookup modes; any other value is taken as Floor.
    enum Mode : int {
        Floor = 0,    // the greatest key not above the target
        Ceiling = 1,  // the least key not below the target
        Exact = 2,    // the key equal to the target
    };

    // A Null root.
    CPDF_NumberTree() = default;
    explicit CPDF_NumberTree(const GLOB_Object& root) : m_root(root) {}

    const GLOB_Object& Root() const { return m_root; }

    // Searches below node (callers pass Root()) for the pair the mode picks;
    // when found, stores its key and value through the pointers that are not
    // null and returns true.
    //
    // In a leaf, ceiling takes the first pair when every key is above the
    // target and fails when every key is below it; floor the reverse; exact
    // fails without an equal key. In an intermediate node the search goes
    // into the first kid whose Limits hold the target; when there is none, or
    // it fails, floor goes on in the kid of greatest high below the target
    // (ceiling: least low above it; the earlier kid on a tie), exact fails.
    bool Lookup(const GLOB_Object& node, int target, int* key, GLOB_Object* value, int mode) const;

private:
    class Walk;

    GLOB_Object m_root;
};
