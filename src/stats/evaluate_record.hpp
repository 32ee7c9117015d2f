// Evaluation of one study record: observed SMR, its confidence limits, the exact p-value and
// the power of the study to detect the theoretical SMR.
#pragma once

#include "stats/study_record.hpp"

namespace stats {

// Computes the six results of the record from its four inputs. No input is validated:
// arithmetic that cannot be carried out (E = 0, E < 0, smr_theor < 0, O / E beyond the 32-bit
// range, |O| or a truncated E of 2^30 or more) is handed to the fault vector of checked_math.
void evaluate_record(StudyRecord &record);

// erf(x / sqrt(2)) for x > 0, the probability that a standard normal variable lies between
// -x and x; 0 for x <= 0. Arguments large enough that the series leaves the 32-bit range
// (x above about 13.3) give 1, which is erf of such arguments to 32-bit precision.
float erf_series(float x);

} // namespace stats
