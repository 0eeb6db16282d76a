#pragma once
#include "TVrBevel.h"

namespace calvoran {

// The display panel's frame: a lowered grey outer ring in a black outline with a grey space, and a
// lowered black inner ring with a black space.
class TVrDisplayBevel : public TVrBevel {
public:
    TVrDisplayBevel();
    using TVrBevel::operator=;
};

} // namespace calvoran
