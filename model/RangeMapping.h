// The mapping between the local value and the compressed values.
#pragma once

// source is -1 when the local value is the given value, or a slot 0 to 4 whose
// compressed value is. A slot source first moves the local value (the exact
// inverse of the forward step); then every slot in use follows the local value.
// Linear and unclamped; a zero-width main range gives IEEE infinities or NaN.
void RecomputeValues(int source);
