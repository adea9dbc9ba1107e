// Planning, filling and finishing the nc output of a run.
#include "collect/nc_run.h"

#include <algorithm>

#include "mask/mask_shape.h"
#include "mask/reduction.h"
#include "mask/variable_names.h"
#include "records/failure.h"
#include "records/io.h"

namespace versel {

void begin_nc_run(const RunSettings& s, const NcNotes& notes, StationSource& source, NcRun& run) {
  const MaskShape shape = analyse_mask(s.MASK);
  std::vector<std::int32_t> first, last;
  year_spans(source, first, last);
  bool labelled = false;
  std::int32_t from = 0, to = 0;
  for (std::size_t j = 0; j < first.size(); ++j) {
    const OutputYears y = output_years(last[j] - first[j] + 1, first[j], shape);
    if (y.NYC < 1) continue;
    from = labelled ? std::min(from, y.IFC) : y.IFC;
    to = labelled ? std::max(to, y.IFC + y.NYC - 1) : y.IFC + y.NYC - 1;
    labelled = true;
  }
  if (!labelled) return;

  const SourceDescription described = describe_source(source);
  NcOutputPlan plan;
  plan.shape = described.gridded ? NcShape::grid : NcShape::stations;
  plan.grid = described.grid;
  plan.stations = described.counts_exact ? static_cast<std::int64_t>(first.size()) : 0;
  plan.first_year = from;
  plan.last_year = to;
  plan.variables = climate_variables(s.MASK);
  plan.units = described.units;
  plan.flag = s.FLAG;
  plan.mask = std::string(trimmed(s.MASK));
  plan.min_months = s.min_months;
  plan.counts = s.min_months > 0;
  plan.source = notes.source;
  plan.history = notes.history;
  std::string error;
  if (!begin_nc_output(run.writer, output_path(kSeaUnit), plan, error)) fail_run({error});
  run.open = true;
}

void put_nc_run(NcRun& run, const StationData& d, const Station& st) {
  if (!run.open || st.NYC < 1) return;
  const std::int32_t* counts = nullptr;
  if (run.writer.plan.counts) {
    // beside a missing value no count: the file's fill, as the csv leaves it empty
    run.counts.resize(st.N.size());
    for (std::size_t i = 0; i < st.N.size(); ++i)
      run.counts[i] = st.Y[i] == run.writer.plan.flag ? -1 : st.N[i];
    counts = run.counts.data();
  }
  std::string error;
  const bool ok = run.writer.plan.shape == NcShape::grid
                      ? put_nc_cell(run.writer, d.cell, st, counts, error)
                      : put_nc_station(run.writer, d, st, counts, error);
  if (!ok) fail_run({error});
}

void finish_nc_run(NcRun& run) {
  if (!run.open) return;
  std::string error;
  if (!finish_nc_output(run.writer, error)) fail_run({error});
  run.open = false;
}

}  // namespace versel
