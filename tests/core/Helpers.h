#pragma once
// Shorthands shared by the core tests.

#include <string>

#include "core/Result.h"

namespace veldin::test {

// What an operation was refused with; "(accepted)" when it went through. One comparison
// then checks that it failed, its text and its icon.
template <class R> Failure Refused(const R& r) { return r.ok() ? Failure{"(accepted)", Icon::None} : r.failure(); }

} // namespace veldin::test
