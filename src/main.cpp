// versel: seasonal values from monthly climate data.
#include "records/io.h"
#include "records/units.h"

int main() {
  versel::start_records();
  versel::stop();
}
