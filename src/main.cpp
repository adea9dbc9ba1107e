// versel: seasonal values from monthly climate data. Without arguments it
// asks its questions on the console; with arguments the command line says
// everything (versel --help).
#include <span>

#include "cli/run_files.h"
#include "dialogue/driver.h"
#include "records/units.h"

int main(int argc, char** argv) {
  versel::start_records();
  if (argc > 1)
    return versel::run_command_line(
        std::span<const char* const>(argv + 1, static_cast<std::size_t>(argc - 1)));
  versel::RunSettings settings;
  versel::start_settings(settings);
  versel::run(settings);
}
