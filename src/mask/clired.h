// The station reduction: a station's monthly values, as a source read them,
// turned into the climate variables of the mask.
#pragma once

#include "mask/mask_shape.h"
#include "mask/station.h"
#include "run_settings.h"

namespace versel {

// Reduces a station as read by the mask into st: the output years and
// their climate variables (see form_variables).
void clired(Station& st, const StationData& d, const RunSettings& s, const MaskShape& shape);

}  // namespace versel
