// Where the station loop and the pre-scan take their stations from, chosen
// once per run: the catalogue's reader, or the reader of a layout.
#pragma once

namespace versel {

struct LayoutReader;

// The catalogue's reader (when `layout` is null): a header line, then year
// lines read through the data format, coordinates read from the header
// through the header format. A layout's reader (layouts/station_reader.h)
// cuts each line by its layout and names and places every station itself.
// Neither the reduction nor the writers learn which one fed them.
struct StationSource {
  LayoutReader* layout = nullptr;
};

}  // namespace versel
