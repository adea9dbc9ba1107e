// versel: seasonal values from monthly climate data.
#include "dialogue/driver.h"
#include "records/units.h"

int main() {
  versel::start_records();
  versel::RunSettings settings;
  versel::start_settings(settings);
  versel::run(settings);
}
