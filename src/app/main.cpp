// smrpower: power of cohort studies by the square-root transformation, with exact Poisson
// confidence limits and p-values for the observed SMR.
#include "dialogue/dialogue.hpp"
#include "recio/named_files.hpp"
#include "recio/units.hpp"

int main(int argc, char **argv) {
  recio::set_command_line(argc, argv);
  recio::runtime_startup();
  dialogue::run_dialogue();
}
