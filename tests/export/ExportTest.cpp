#include "MeasurementFiles.h"
#include "OldSdfBuilder.h"
#include "TestSupport.h"
#include "datafiles/DataFileReader.h"
#include "export/CsvExport.h"
#include "export/Exporters.h"
#include "export/Hdf5Export.h"
#include "export/WavExport.h"
#include "model/FileError.h"
#include "text/DateTime.h"
#include "text/Messages.h"

#include <gtest/gtest.h>

#include <hdf5.h>
#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <map>
#include <set>
#include <sstream>
#include <sys/stat.h>
#include <tuple>

using namespace tavrel;
using namespace tavrel::test;

namespace {

constexpr int Samples = 40;
constexpr int Bursts = 3;

// "電圧", "温度", "度" and "試験" in CP932 and UTF-8, spelt out so the test leans on neither
// converter.
const std::string VoltageCp932 = "\x93\x64\x88\xB3", VoltageUtf8 = "\xE9\x9B\xBB\xE5\x9C\xA7";
const std::string TemperatureCp932 = "\x89\xB7\x93\x78",
                  TemperatureUtf8 = "\xE6\xB8\xA9\xE5\xBA\xA6";
const std::string DegreeCp932 = "\x93\x78", DegreeUtf8 = "\xE5\xBA\xA6";
const std::string TestCp932 = "\x8E\x8E\x8C\xB1", TestUtf8 = "\xE8\xA9\xA6\xE9\xA8\x93";

MeasurementHeader Header() {
    MeasurementHeader h = DefaultMeasurementHeader();
    h.Comment.Assign(TestCp932 + " run");
    h.ChannelCount = 3;
    h.ExtraChannelCount = 1;
    h.SampleCount = Samples;
    h.BurstCount = Bursts;
    h.SamplingInterval = 250;
    h.SamplingUnit = 0; // usec: 4000 Hz
    h.BurstInterval = 2;
    h.BurstUnit = 3; // min
    h.StartTime = *EncodeDateTime({2024, 2, 29, 13, 14, 15, 0});
    h.ChannelName[0].Assign(VoltageCp932);
    h.ChannelName[1].Assign(TemperatureCp932);
    h.ChannelName[2].Assign("a \"b\"");
    h.ChannelUnit[0].Assign("mV");
    h.ChannelUnit[1].Assign(DegreeCp932);
    h.ChannelUnit[2].Assign("");
    h.CoefA = {0.001f, 0.0625f, 3.3f, 1.0f};
    h.CoefB = {-1.5f, 20.0f, 1234.5f, 0.0f};
    return h;
}

std::int16_t Code(int k, int c, int j) {
    if (c == 1 && j % 7 == 3)
        return ErrorData;
    if (c == 0)
        return static_cast<std::int16_t>(-32767 + 1601 * j + 13 * k);
    if (c == 1)
        return static_cast<std::int16_t>(32766 - 977 * j - k); // 32767 is error data in old files
    return static_cast<std::int16_t>(j * j * (k + 1) - 500);
}

void Fill(SDFdata& d, int k) {
    for (int c = 0; c < 3; ++c)
        for (int j = 0; j < Samples; ++j)
            d.BlockData[static_cast<std::size_t>(c)][static_cast<std::size_t>(j)] = Code(k, c, j);
    d.ExtraData[0] = static_cast<std::int16_t>(k);
}

// The test files of one measurement: sdf 1..4 built byte by byte, and the sdf and tsd files
// the program writes. Version 1 keeps milliseconds, so its interval is 1 msec instead.
std::map<std::string, std::string> WriteInputs(const TempDir& dir) {
    std::map<std::string, std::string> files;
    for (int version : {1, 2, 3, 4}) {
        MeasurementHeader h = Header();
        if (version == 1) {
            h.SamplingInterval = 1;
            h.SamplingUnit = 1;
            h.BurstInterval = 120000;
            h.BurstUnit = 1;
        }
        std::vector<std::vector<std::int16_t>> blocks;
        for (int k = 0; k < Bursts; ++k) {
            std::vector<std::int16_t> b;
            for (int j = 0; j < Samples; ++j)
                for (int c = 0; c < 3; ++c) {
                    const std::int16_t x = Code(k, c, j);
                    b.push_back(x == ErrorData && version < 4 ? std::int16_t{32767} : x);
                }
            b.push_back(static_cast<std::int16_t>(k));
            blocks.push_back(b);
        }
        const std::string name = dir.File("v" + std::to_string(version) + ".sdf");
        WriteBytes(name, BuildSdf(version, h, blocks));
        files["v" + std::to_string(version)] = name;
    }
    SDFdata d;
    d.Header = Header();
    d.AllocateBlockBuffers();
    WriteSdfAndTsd(d, dir.File("w.sdf"), dir.File("w.tsd"), Bursts, Fill);
    files["tsd"] = dir.File("w.tsd");
    return files;
}

double Seconds(const std::string& input) {
    return input.find("v1") != std::string::npos ? 0.001 : 0.00025;
}

// Independent of the program's formatter: the value to at most 7 significant digits, and no
// further from Y = AX + B than half a unit of the 7th digit.
void ExpectSevenDigits(const std::string& field, double exact, const std::string& where) {
    int digits = 0;
    bool leading = true;
    std::string mantissa = field.substr(0, field.find_first_of("Ee"));
    for (const char c : mantissa) {
        if (c >= '1' && c <= '9')
            leading = false;
        if (std::isdigit(static_cast<unsigned char>(c)) && !leading)
            ++digits;
    }
    // Trailing zeros of an integer part count as places, not digits.
    if (mantissa.find('.') == std::string::npos)
        while (!mantissa.empty() && mantissa.back() == '0' && digits > 0) {
            mantissa.pop_back();
            --digits;
        }
    EXPECT_LE(digits, 7) << field << " " << where;
    char* end = nullptr;
    const double v = std::strtod(field.c_str(), &end);
    ASSERT_EQ(end, field.c_str() + field.size()) << field << " " << where;
    const double unit =
        exact == 0 ? 1e-300 : std::pow(10.0, std::floor(std::log10(std::fabs(exact))) - 6);
    EXPECT_LE(std::fabs(v - exact), unit * 0.5000001) << field << " vs " << exact << " " << where;
}

std::vector<std::string> Split(const std::string& line) {
    // Fields of a CSV row, quotes undone.
    std::vector<std::string> out(1);
    bool quoted = false;
    for (std::size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (quoted) {
            if (c == '"' && i + 1 < line.size() && line[i + 1] == '"') {
                out.back() += '"';
                ++i;
            } else if (c == '"') {
                quoted = false;
            } else {
                out.back() += c;
            }
        } else if (c == '"') {
            quoted = true;
        } else if (c == ',') {
            out.emplace_back();
        } else {
            out.back() += c;
        }
    }
    return out;
}

// The value fields of the tsd file the program wrote: [burst][scan] lines.
std::vector<std::vector<std::string>> TsdLines(const std::string& tsd) {
    const auto lines = CrlfLines(ReadBytes(tsd));
    std::vector<std::vector<std::string>> out;
    for (std::size_t i = 12; i < lines.size(); i += Samples + 2) {
        out.emplace_back(lines.begin() + static_cast<std::ptrdiff_t>(i + 1),
                         lines.begin() + static_cast<std::ptrdiff_t>(i + 1 + Samples));
    }
    return out;
}

// Cancels at the first question.
struct CancellingProgress : RecordingProgress {
    bool Cancelled() const override { return true; }
};

std::string ReadStringAttribute(hid_t at, const char* name) {
    const hid_t a = H5Aopen(at, name, H5P_DEFAULT);
    const hid_t type = H5Aget_type(a);
    EXPECT_TRUE(H5Tis_variable_str(type) > 0) << name;
    EXPECT_EQ(H5Tget_cset(type), H5T_CSET_UTF8) << name;
    char* value = nullptr;
    EXPECT_GE(H5Aread(a, type, &value), 0);
    std::string s = value == nullptr ? "" : value;
    H5free_memory(value);
    H5Tclose(type);
    H5Aclose(a);
    return s;
}

std::vector<double> ReadDoublesAttribute(hid_t at, const char* name) {
    const hid_t a = H5Aopen(at, name, H5P_DEFAULT);
    const hid_t space = H5Aget_space(a);
    std::vector<double> out(static_cast<std::size_t>(H5Sget_simple_extent_npoints(space)));
    EXPECT_GE(H5Aread(a, H5T_NATIVE_DOUBLE, out.data()), 0);
    H5Sclose(space);
    H5Aclose(a);
    return out;
}

// The output of exporter e named stem and its first extension, in dir.
std::string OutOf(const TempDir& dir, const std::string& stem, const Exporter& e) {
    return dir.File(stem + std::string(e.Extensions.front()));
}

} // namespace

TEST(Exporters, EveryRowWritesItsFormatUnderEveryExtensionAndIsFoundByIt) {
    TempDir dir;
    const auto inputs = WriteInputs(dir);
    const auto reader = OpenDataFileReader(inputs.at("v4"));
    RecordingProgress progress;
    ExportSelection one;
    one.Bursts = {1};
    // The first bytes each format starts with.
    const std::map<std::string_view, std::string> magic = {
        {"csv", "\xEF\xBB\xBF"}, {"hdf5", "\x89HDF\r\n\x1A\n"}, {"wav", "RIFF"}};
    std::set<std::string_view> ids;
    ASSERT_EQ(Exporters().size(), magic.size());
    for (const Exporter& e : Exporters()) {
        SCOPED_TRACE(std::string(e.Id));
        EXPECT_TRUE(ids.insert(e.Id).second);
        EXPECT_EQ(ExporterOfId(e.Id), &e);
        EXPECT_EQ(&ExporterOf(e.Format), &e);
        EXPECT_EQ(ExportFormatOfName("a" + std::string(e.Extensions.front())), e.Format);
        for (const std::string_view ext : e.Extensions) {
            const std::string out = dir.File("out" + std::string(ext));
            EXPECT_EQ(ExporterOfName(out), &e);
            ASSERT_TRUE(e.Write(*reader, one, out, {}, progress));
            EXPECT_EQ(ReadBytes(out).substr(0, magic.at(e.Id).size()), magic.at(e.Id));
            std::filesystem::remove(out);
        }
        // The filter names the first extension.
        EXPECT_NE(std::string_view(e.Name).find("*" + std::string(e.Extensions.front())),
                  std::string_view::npos);
    }
    EXPECT_EQ(ExporterOfId("tsd"), nullptr);
    EXPECT_EQ(ExporterOfName("a.sdf"), nullptr);
    EXPECT_TRUE(ExporterOf(ExportFormat::Csv).Takes("encoding"));
    EXPECT_FALSE(ExporterOf(ExportFormat::Wav).Takes("encoding"));

    // The options reach the writer: CP932 keeps the file's bytes.
    ExportOptions cp932;
    cp932.Encoding = CsvEncoding::Cp932;
    ASSERT_TRUE(
        ExporterOf(ExportFormat::Csv).Write(*reader, one, dir.File("o.csv"), cp932, progress));
    EXPECT_NE(ReadBytes(dir.File("o.csv")).find(VoltageCp932), std::string::npos);
    EXPECT_NE(ReadBytes(dir.File("o.csv")).substr(0, 3), "\xEF\xBB\xBF");
}

TEST(Export, NumberListsStopAtTheFilesCount) {
    using List = std::vector<std::int64_t>;
    std::string huge;
    while (huge.size() < 128 * 1024)
        huge += "1-32768,";
    huge += "2";
    const std::vector<std::tuple<std::string, std::int64_t, std::optional<List>>> cases = {
        {"1,3-5", 9, List{0, 2, 3, 4}},
        {" 2", 9, List{1}}, // blanks before and after alike
        {"2 ,\t3 - 4 ", 9, List{1, 2, 3}},
        {"2-9,7", 3, List{1, 2, 3}},  // 4 is the first past the count: it ends the list
        {"9,5,1", 3, List{8}},        // the first past the count, in the order given, ends it
        {"1-40000", 3, std::nullopt}, // a range longer than any count
        {huge, 3, List{0, 1, 2, 3}},
        {"   ", 3, std::nullopt},
        {"4", 0, List{3}}, // the form alone: nothing expanded
    };
    for (const auto& [text, most, expected] : cases)
        EXPECT_EQ(ParseNumberList(text, most), expected) << text.substr(0, 20) << " " << most;
}

TEST(Export, SelectionListsAndTimes) {
    EXPECT_EQ(ParseNumberList("1,3-5"), (std::vector<std::int64_t>{0, 2, 3, 4}));
    // The order given; the first repeat ends the list, for the selection to refuse.
    EXPECT_EQ(ParseNumberList("4,2,2-3"), (std::vector<std::int64_t>{3, 1, 1}));
    for (const char* bad : {"", "0", "1,", ",1", "5-3", "a", "-1", "+1", "1-", "2-x"})
        EXPECT_EQ(ParseNumberList(bad), std::nullopt) << bad;
    EXPECT_EQ(ExportFormatOfName("a/b.CSV"), ExportFormat::Csv);
    EXPECT_EQ(ExportFormatOfName("b.h5"), ExportFormat::Hdf5);
    EXPECT_EQ(ExportFormatOfName("b.hdf5"), ExportFormat::Hdf5);
    EXPECT_EQ(ExportFormatOfName("b.wav"), ExportFormat::Wav);
    EXPECT_EQ(ExportFormatOfName("dir.csv/b"), std::nullopt);
    EXPECT_EQ(ExportFormatOfName("b.txt"), std::nullopt);
    char text[40];
    const std::vector<std::pair<std::int64_t, std::string>> times = {
        {0, "0"},        {250, "0.00025"},     {12'500'000, "12.5"}, {3'600'000'000, "3600"},
        {1, "0.000001"}, {-1'500'000, "-1.5"}, {100'010, "0.10001"}};
    for (const auto& [micro, expected] : times)
        EXPECT_EQ(std::string(text, PutSecondsText(text, micro)), expected);
}

TEST(Export, CsvOfEveryInputReadsAsTheTsdValues) {
    TempDir dir;
    const auto inputs = WriteInputs(dir);
    const auto tsd = TsdLines(dir.File("w.tsd"));
    ASSERT_EQ(tsd.size(), std::size_t{Bursts});
    for (const auto& [label, input] : inputs) {
        SCOPED_TRACE(label);
        const auto reader = OpenDataFileReader(input);
        RecordingProgress progress;
        const std::string out = dir.File(label + ".csv");
        ASSERT_TRUE(ExportCsv(*reader, {}, out, CsvEncoding::Utf8, progress));
        const std::string bytes = ReadBytes(out);
        ASSERT_EQ(bytes.substr(0, 3), "\xEF\xBB\xBF");
        const auto lines = CrlfLines(bytes.substr(3));
        ASSERT_EQ(lines.size(), std::size_t{1 + Bursts * Samples});
        EXPECT_EQ(Split(lines[0]),
                  (std::vector<std::string>{"time [s]", "burst", VoltageUtf8 + " [mV]",
                                            TemperatureUtf8 + " [" + DegreeUtf8 + "]", "a \"b\""}));
        const MeasurementHeader h = Header();
        for (int k = 0; k < Bursts; ++k)
            for (int j = 0; j < Samples; ++j) {
                const auto row = Split(lines[static_cast<std::size_t>(1 + k * Samples + j)]);
                ASSERT_EQ(row.size(), 5u);
                EXPECT_NEAR(std::stod(row[0]), j * Seconds(label), 1e-12);
                EXPECT_EQ(row[1], std::to_string(k + 1));
                const auto tsdRow =
                    Split(tsd[static_cast<std::size_t>(k)][static_cast<std::size_t>(j)]);
                for (int c = 0; c < 3; ++c) {
                    const std::string& field = row[static_cast<std::size_t>(2 + c)];
                    const std::int16_t x = Code(k, c, j);
                    const std::string where =
                        std::to_string(k) + "/" + std::to_string(j) + "/" + std::to_string(c);
                    if (x == ErrorData) {
                        EXPECT_EQ(field, "") << where;
                        EXPECT_EQ(tsdRow[static_cast<std::size_t>(c)], "=") << where;
                        continue;
                    }
                    EXPECT_EQ(field, tsdRow[static_cast<std::size_t>(c)]) << where;
                    const auto e = static_cast<std::size_t>(c);
                    ExpectSevenDigits(field, double(x) * double(h.CoefA[e]) + double(h.CoefB[e]),
                                      where);
                }
            }
    }
}

TEST(Export, CsvOfChosenBurstsChannelsAndScansInCp932) {
    TempDir dir;
    const auto inputs = WriteInputs(dir);
    const auto reader = OpenDataFileReader(inputs.at("v2"));
    RecordingProgress progress;
    ExportSelection s;
    s.Bursts = {2, 0};
    s.Channels = {1};
    s.FirstSample = 8;
    s.EndSample = 12;
    const std::string out = dir.File("c.csv");
    ASSERT_TRUE(ExportCsv(*reader, s, out, CsvEncoding::Cp932, progress));
    const std::string expectedHead =
        "time [s],burst," + TemperatureCp932 + " [" + DegreeCp932 + "]";
    const auto lines = CrlfLines(ReadBytes(out));
    ASSERT_EQ(lines.size(), 9u);
    EXPECT_EQ(lines[0], expectedHead);
    // The bursts in the order asked for.
    EXPECT_EQ(lines[1].substr(0, 8), "0.002,3,");
    EXPECT_EQ(lines[5].substr(0, 8), "0.002,1,");
    for (std::size_t i = 1; i < lines.size(); ++i) {
        const auto row = Split(lines[i]);
        ASSERT_EQ(row.size(), 3u);
        const int k = i <= 4 ? 2 : 0;
        const int j = 8 + static_cast<int>((i - 1) % 4);
        const std::int16_t x = Code(k, 1, j);
        if (x == ErrorData)
            EXPECT_EQ(row[2], "");
        else
            ExpectSevenDigits(row[2], x * 0.0625 + 20.0, lines[i]);
    }
    EXPECT_EQ(lines[7], "0.0025,1,"); // scan 10 is error data
}

TEST(Export, SelectionKeepsTheOrderGivenAndRefusesRepeats) {
    TempDir dir;
    const auto inputs = WriteInputs(dir);
    const auto reader = OpenDataFileReader(inputs.at("v4"));
    ExportSelection s;
    s.Bursts = {2, 0};
    s.Channels = {1, 0};
    const ResolvedSelection r = ResolveSelection(s, *reader);
    EXPECT_EQ(r.Bursts, (std::vector<std::int64_t>{2, 0}));
    EXPECT_EQ(r.Channels, (std::vector<int>{1, 0}));
    const struct {
        std::vector<std::int64_t> Bursts;
        std::vector<int> Channels;
        MessageId Refusal;
        std::string Named;
    } repeats[] = {{{1, 0, 1}, {}, MessageId::RepeatedBurst, "2"},
                   {{}, {0, 0}, MessageId::RepeatedChannel, "1"}};
    for (const auto& c : repeats) {
        s.Bursts = c.Bursts;
        s.Channels = c.Channels;
        const Message m = Thrown([&] { ResolveSelection(s, *reader); });
        EXPECT_EQ(m.Id, c.Refusal);
        EXPECT_EQ(m.Args, std::vector<std::string>{c.Named});
    }
}

// Reads the fields of a compound dataset with the C API alone: one memory type a field.
template <typename T>
std::vector<T> ReadField(hid_t file, const char* dataset, const char* field, hid_t memoryType) {
    const hid_t d = H5Dopen2(file, dataset, H5P_DEFAULT);
    const hid_t space = H5Dget_space(d);
    std::vector<T> values(static_cast<std::size_t>(H5Sget_simple_extent_npoints(space)));
    const hid_t type = H5Tcreate(H5T_COMPOUND, sizeof(T));
    H5Tinsert(type, field, 0, memoryType);
    EXPECT_GE(H5Dread(d, type, H5S_ALL, H5S_ALL, H5P_DEFAULT, values.data()), 0) << field;
    H5Tclose(type);
    H5Sclose(space);
    H5Dclose(d);
    return values;
}

std::vector<std::string> ReadTextField(hid_t file, const char* dataset, const char* field) {
    hid_t text = H5Tcopy(H5T_C_S1);
    H5Tset_size(text, H5T_VARIABLE);
    H5Tset_cset(text, H5T_CSET_UTF8);
    std::vector<std::string> out;
    for (char* v : ReadField<char*>(file, dataset, field, text)) {
        out.emplace_back(v ? v : "");
        H5free_memory(v);
    }
    H5Tclose(text);
    return out;
}

TEST(Export, Hdf5ReadsBackThroughTheCApi) {
    TempDir dir;
    const auto inputs = WriteInputs(dir);
    for (const char* label : {"v1", "v3", "v4", "tsd"}) {
        SCOPED_TRACE(label);
        const auto reader = OpenDataFileReader(inputs.at(label));
        RecordingProgress progress;
        ExportSelection s;
        s.Bursts = {0, 2};
        s.Channels = {0, 1};
        const std::string out = dir.File(std::string(label) + ".h5");
        ASSERT_TRUE(ExportHdf5(*reader, s, out, progress));
        const hid_t file = H5Fopen(out.c_str(), H5F_ACC_RDONLY, H5P_DEFAULT);
        ASSERT_GE(file, 0);
        EXPECT_EQ(ReadStringAttribute(file, "comment"), TestUtf8 + " run");
        EXPECT_NEAR(ReadDoublesAttribute(file, "sampling_interval_s").at(0), Seconds(label), 1e-15);
        EXPECT_EQ(ReadStringAttribute(file, "start_time"), "2024-02-29T13:14:15+09:00");
        EXPECT_EQ(ReadTextField(file, "channels", "name"),
                  (std::vector<std::string>{VoltageUtf8, TemperatureUtf8}));
        EXPECT_EQ(ReadTextField(file, "channels", "unit"),
                  (std::vector<std::string>{"mV", DegreeUtf8}));
        EXPECT_EQ(ReadField<double>(file, "channels", "a", H5T_NATIVE_DOUBLE),
                  (std::vector<double>{double(0.001f), double(0.0625f)}));
        EXPECT_EQ(ReadField<double>(file, "channels", "b", H5T_NATIVE_DOUBLE),
                  (std::vector<double>{-1.5, 20.0}));
        // Two bursts, one after the other; their start instants 4 minutes apart (bursts 0
        // and 2 of bursts 2 minutes apart).
        EXPECT_EQ(ReadField<std::int64_t>(file, "bursts", "first_scan", H5T_NATIVE_INT64),
                  (std::vector<std::int64_t>{0, Samples}));
        EXPECT_EQ(ReadField<std::int64_t>(file, "bursts", "scan_count", H5T_NATIVE_INT64),
                  (std::vector<std::int64_t>{Samples, Samples}));
        const auto starts = ReadField<double>(file, "bursts", "start_time_s", H5T_NATIVE_DOUBLE);
        ASSERT_EQ(starts.size(), 2u);
        EXPECT_EQ(FormatIsoEpochSeconds(starts[0]), "2024-02-29T13:14:15+09:00");
        EXPECT_EQ(FormatIsoEpochSeconds(starts[1]), "2024-02-29T13:18:15+09:00");

        const hid_t data = H5Dopen2(file, "samples", H5P_DEFAULT);
        const hid_t space = H5Dget_space(data);
        hsize_t dims[2] = {};
        ASSERT_EQ(H5Sget_simple_extent_ndims(space), 2);
        H5Sget_simple_extent_dims(space, dims, nullptr);
        EXPECT_EQ(dims[0], hsize_t{2 * Samples});
        EXPECT_EQ(dims[1], 2u);
        const hid_t type = H5Dget_type(data);
        EXPECT_EQ(H5Tget_class(type), H5T_FLOAT);
        EXPECT_EQ(H5Tget_size(type), 4u);
        std::vector<float> values(2 * Samples * 2);
        ASSERT_GE(H5Dread(data, H5T_NATIVE_FLOAT, H5S_ALL, H5S_ALL, H5P_DEFAULT, values.data()), 0);
        for (const int burst : {0, 1})
            for (int j = 0; j < Samples; ++j)
                for (int c = 0; c < 2; ++c) {
                    const int k = burst == 0 ? 0 : 2;
                    const float v = values[static_cast<std::size_t>(2 * (burst * Samples + j) + c)];
                    if (Code(k, c, j) == ErrorData)
                        EXPECT_TRUE(std::isnan(v)) << k << " " << j << " " << c;
                    else
                        EXPECT_EQ(v, static_cast<float>(Code(k, c, j)))
                            << k << " " << j << " " << c;
                }
        H5Tclose(type);
        H5Sclose(space);
        H5Dclose(data);
        H5Fclose(file);
    }
}

TEST(Export, WavReadsBackThroughLibsndfile) {
    TempDir dir;
    const auto inputs = WriteInputs(dir);
    for (const char* label : {"v3", "v4", "tsd"}) {
        SCOPED_TRACE(label);
        const auto reader = OpenDataFileReader(inputs.at(label));
        RecordingProgress progress;
        ExportSelection s;
        s.Channels = {2, 0};
        const std::string out = dir.File(std::string(label) + ".wav");
        ASSERT_TRUE(ExportWav(*reader, s, out, progress));
        EXPECT_FALSE(std::filesystem::exists(out)); // one file per burst instead
        for (int k = 0; k < Bursts; ++k) {
            const std::string name =
                dir.File(std::string(label) + "-00" + std::to_string(k + 1) + ".wav");
            SF_INFO info{};
            SNDFILE* f = sf_open(name.c_str(), SFM_READ, &info);
            ASSERT_NE(f, nullptr) << name;
            EXPECT_EQ(info.samplerate, 4000);
            EXPECT_EQ(info.channels, 2);
            EXPECT_EQ(info.frames, Samples);
            EXPECT_EQ(info.format, SF_FORMAT_WAV | SF_FORMAT_PCM_16);
            std::vector<short> frames(Samples * 2);
            EXPECT_EQ(sf_readf_short(f, frames.data(), Samples), Samples);
            sf_close(f);
            for (int j = 0; j < Samples; ++j) { // the channels in the order asked for
                EXPECT_EQ(frames[static_cast<std::size_t>(2 * j)], Code(k, 2, j));
                EXPECT_EQ(frames[static_cast<std::size_t>(2 * j + 1)], Code(k, 0, j));
            }
        }
    }
    // One burst chosen: the name as given, error data as its code.
    const auto reader = OpenDataFileReader(inputs.at("v2"));
    RecordingProgress progress;
    ExportSelection s;
    s.Bursts = {1};
    s.Channels = {1};
    ASSERT_TRUE(ExportWav(*reader, s, dir.File("one.wav"), progress));
    SF_INFO info{};
    SNDFILE* f = sf_open(dir.File("one.wav").c_str(), SFM_READ, &info);
    ASSERT_NE(f, nullptr);
    std::vector<short> frames(Samples);
    EXPECT_EQ(sf_readf_short(f, frames.data(), Samples), Samples);
    sf_close(f);
    EXPECT_EQ(frames[3], ErrorData);
    EXPECT_EQ(frames[4], Code(1, 1, 4));
    EXPECT_FALSE(std::filesystem::exists(dir.File("one-002.wav")));
}

TEST(Export, FailuresAndCancelsLeaveNoFile) {
    TempDir dir;
    const auto inputs = WriteInputs(dir);
    const auto before = dir.Names();
    const auto reader = OpenDataFileReader(inputs.at("v4"));
    RecordingProgress progress;
    auto expectUnchanged = [&](const std::string& what) {
        auto names = dir.Names();
        std::sort(names.begin(), names.end());
        auto expected = before;
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(names, expected) << what;
    };
    ExportSelection s;
    s.Bursts = {3};
    EXPECT_EQ(
        Thrown([&] { ExportCsv(*reader, s, dir.File("x.csv"), CsvEncoding::Utf8, progress); }),
        NoSuchBurstMessage(4, 3));
    s.Bursts = {};
    s.Channels = {3};
    EXPECT_EQ(Thrown([&] { ExportHdf5(*reader, s, dir.File("x.h5"), progress); }),
              NoSuchChannelMessage(4, 3));
    s.Channels = {};
    s.EndSample = Samples + 1;
    EXPECT_EQ(Thrown([&] { ExportWav(*reader, s, dir.File("x.wav"), progress); }),
              ScanRangeMessage(0, Samples + 1, Samples));
    expectUnchanged("selections");

    // A rate of 333.3 Hz is no WAV rate.
    MeasurementHeader h = Header();
    h.SamplingInterval = 3;
    h.SamplingUnit = 1;
    WriteBytes(dir.File("r.sdf"), BuildSdf(4, h, {std::vector<std::int16_t>(3 * Samples + 1, 0)}));
    {
        const auto odd = OpenDataFileReader(dir.File("r.sdf"));
        EXPECT_EQ(Thrown([&] { ExportWav(*odd, {}, dir.File("x.wav"), progress); }),
                  WavRateMessage("3 msec"));
    }
    std::filesystem::remove(dir.File("r.sdf"));

    // A tsd file whose last block is broken: what was written before is removed too.
    std::string text = ReadBytes(dir.File("w.tsd"));
    const auto third = text.find("No.3\r\n");
    ASSERT_NE(third, std::string::npos);
    text.replace(third + 6, 1, "?");
    WriteBytes(dir.File("bad.tsd"), text);
    {
        const auto bad = OpenDataFileReader(dir.File("bad.tsd"));
        const auto line =
            std::count(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(third), '\n') + 2;
        for (const Exporter& e : Exporters())
            EXPECT_EQ(Thrown([&] { e.Write(*bad, {}, OutOf(dir, "x", e), {}, progress); }),
                      TsdBadValueMessage(dir.File("bad.tsd"), 3, line))
                << e.Id;
    }
    std::filesystem::remove(dir.File("bad.tsd"));
    expectUnchanged("broken input");

    // Cancelled: an old output stays as it was; outputs that are no files or the input refused.
    CancellingProgress cancel;
    for (const Exporter& e : Exporters()) {
        WriteBytes(OutOf(dir, "old", e), "old");
        EXPECT_FALSE(e.Write(*reader, {}, OutOf(dir, "old", e), {}, cancel)) << e.Id;
        EXPECT_EQ(ReadBytes(OutOf(dir, "old", e)), "old") << e.Id;
        std::filesystem::remove(OutOf(dir, "old", e));
    }
    std::filesystem::create_directory(dir.File("x-002.wav"));
    EXPECT_EQ(Thrown([&] { ExportWav(*reader, {}, dir.File("x.wav"), progress); }),
              NotRegularFileMessage(dir.File("x-002.wav")));
    EXPECT_EQ(Thrown([&] { ExportCsv(*reader, {}, inputs.at("v4"), CsvEncoding::Utf8, progress); }),
              SameFileMessage(inputs.at("v4")));
    std::filesystem::remove(dir.File("x-002.wav"));
    expectUnchanged("cancelled");
}

TEST(Export, LongBurstsGoInPiecesWithoutSeams) {
    // One burst longer than several pieces: every scan once, in order, in every format.
    TempDir dir;
    MeasurementHeader h = DefaultMeasurementHeader();
    h.ChannelCount = 2;
    h.SampleCount = 300'001;
    h.SamplingInterval = 1;
    h.SamplingUnit = 1; // msec
    std::vector<std::int16_t> block;
    for (int j = 0; j < h.SampleCount; ++j) {
        block.push_back(static_cast<std::int16_t>(j % 30000));
        block.push_back(static_cast<std::int16_t>(-(j % 7)));
    }
    WriteBytes(dir.File("long.sdf"), BuildSdf(4, h, {block}));
    const auto reader = OpenDataFileReader(dir.File("long.sdf"));
    RecordingProgress progress;
    ExportSelection s;
    s.Channels = {1, 0};
    s.FirstSample = 3;
    ASSERT_TRUE(ExportCsv(*reader, s, dir.File("l.csv"), CsvEncoding::Cp932, progress));
    const auto lines = CrlfLines(ReadBytes(dir.File("l.csv")));
    ASSERT_EQ(lines.size(), std::size_t(h.SampleCount - 3 + 1));
    for (std::size_t i = 1; i < lines.size(); i += 997) {
        const int j = 3 + static_cast<int>(i - 1);
        std::ostringstream expected;
        expected << j / 1000 << (j % 1000 ? "." : "");
        if (j % 1000) {
            std::string ms = std::to_string(1000 + j % 1000).substr(1);
            while (ms.back() == '0')
                ms.pop_back();
            expected << ms;
        }
        expected << ",1," << -(j % 7) << "," << j % 30000; // the channels as asked for
        EXPECT_EQ(lines[i], expected.str());
    }
    ASSERT_TRUE(ExportWav(*reader, s, dir.File("l.wav"), progress));
    SF_INFO info{};
    SNDFILE* f = sf_open(dir.File("l.wav").c_str(), SFM_READ, &info);
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(info.samplerate, 1000);
    ASSERT_EQ(info.frames, h.SampleCount - 3);
    std::vector<short> frames(static_cast<std::size_t>(info.frames) * 2);
    EXPECT_EQ(sf_readf_short(f, frames.data(), info.frames), info.frames);
    sf_close(f);
    int wrong = 0;
    for (int j = 3; j < h.SampleCount; ++j)
        wrong += frames[std::size_t(2 * (j - 3))] != -(j % 7) ||
                 frames[std::size_t(2 * (j - 3) + 1)] != j % 30000;
    EXPECT_EQ(wrong, 0);
    // The burst whole, then from scan 3 with the channels turned round: values and the
    // burst's start move with the first scan.
    std::vector<std::int16_t> cut;
    for (std::size_t i = 6; i < block.size(); i += 2)
        cut.insert(cut.end(), {block[i + 1], block[i]});
    std::vector<double> starts;
    for (const auto& [name, selection, expected] :
         {std::tuple{"l.h5", ExportSelection{}, block}, std::tuple{"c.h5", s, cut}}) {
        ASSERT_TRUE(ExportHdf5(*reader, selection, dir.File(name), progress));
        const hid_t file = H5Fopen(dir.File(name).c_str(), H5F_ACC_RDONLY, H5P_DEFAULT);
        const hid_t data = H5Dopen2(file, "samples", H5P_DEFAULT);
        std::vector<std::int16_t> codes(expected.size());
        EXPECT_GE(H5Dread(data, H5T_NATIVE_INT16, H5S_ALL, H5S_ALL, H5P_DEFAULT, codes.data()), 0);
        EXPECT_TRUE(codes == expected) << name;
        H5Dclose(data);
        H5Fclose(file);
        starts.push_back(OpenDataFileReader(dir.File(name))->BurstStartTime(0));
    }
    EXPECT_NEAR((starts[1] - starts[0]) * 86400, 0.003, 1e-6); // date-times count days
}

int main(int argc, char** argv) {
    // Burst start times carry the offset of this zone (a POSIX rule: no zone database needed).
    ::setenv("TZ", "JST-9", 1);
    ::tzset();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
