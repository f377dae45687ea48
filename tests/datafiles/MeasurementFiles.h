#pragma once

#include "datafiles/DataFileFormats.h"
#include "model/SDFdata.h"

#include <string>

namespace tavrel::test {

// The sdf file and the tsd file the program's writers make of one measurement: data as it
// starts, fill(data, k) giving block k.
template <typename Fill>
void WriteSdfAndTsd(SDFdata data, const std::string& sdf, const std::string& tsd, int blocks,
                    Fill fill) {
    const auto s = MakeDataFileWriter(DataFileType::Sdf, sdf);
    const auto t = MakeDataFileWriter(DataFileType::Tsd, tsd);
    s->Begin(data.Header);
    t->Begin(data.Header);
    for (int k = 0; k < blocks; ++k) {
        fill(data, k);
        s->AppendBlock(k, data);
        t->AppendBlock(k, data);
    }
}

} // namespace tavrel::test
