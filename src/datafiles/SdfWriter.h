#pragma once

#include "datafiles/DataFileWriter.h"

namespace tavrel {

// The sdf format, version 4: the header, then the blocks at fixed places.
class SdfWriter final : public DataFileWriter {
public:
    explicit SdfWriter(std::string fileName) : DataFileWriter(std::move(fileName)) {}

    void Begin(const MeasurementHeader& h) override;
    void AppendBlock(int k, const SDFdata& data) override;
    void Complete(const MeasurementHeader& h, int blocksWritten) override;
};

} // namespace tavrel
