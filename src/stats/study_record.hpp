// One study record: the four inputs typed or read for it and the six results computed from them.
#pragma once

namespace stats {

// All values are 32-bit reals. The inputs are written by the dialogue's reads and persist from
// one record to the next; the results are written only by evaluate_record.
struct StudyRecord {
  // Inputs.
  float zalpha;    // critical value of the standard normal, e.g. 1.64 for a one-sided 5% test
  float smr_theor; // theoretical standardised mortality ratio the study should detect
  float observed;  // observed number of events O
  float expected;  // expected number of events E

  // Results.
  float smr;      // observed SMR, O / E
  float ci_lower; // lower exact 95% confidence limit of the SMR
  float ci_upper; // upper exact 95% confidence limit of the SMR
  float p_value;  // exact Poisson p-value of the observed count
  float zpower;   // |Zpower|, the normal deviate from which the power is read
  float power;    // power of the study to detect smr_theor
};

} // namespace stats
