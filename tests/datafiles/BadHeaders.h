#pragma once

#include "datafiles/io/LittleEndian.h"
#include "datafiles/sdf/SdfLayout.h"
#include "model/MeasurementHeader.h"

#include <limits>
#include <string>
#include <utility>
#include <vector>

namespace tavrel::test {

// What is wrong with a header, and its bytes.
using BadHeader = std::pair<const char*, std::string>;

// A valid version-4 sdf header with one field changed by edit.
template <typename Edit> std::string EditedSdfHeader(Edit edit) {
    std::string bytes = EncodeSdfHeader(DefaultMeasurementHeader());
    edit(reinterpret_cast<unsigned char*>(bytes.data()), bytes);
    return bytes;
}

// sdf headers that cannot be right: each must be refused.
inline std::vector<BadHeader> BadSdfHeaders() {
    return {
        {"space before", " " + EditedSdfHeader([](unsigned char*, std::string&) {})},
        {"bom before", "\xEF\xBB\xBF" + EditedSdfHeader([](unsigned char*, std::string&) {})},
        {"version 5", EditedSdfHeader([](unsigned char* p, std::string&) { p[40] = '5'; })},
        {"version 0", EditedSdfHeader([](unsigned char* p, std::string&) { p[40] = '0'; })},
        {"version x", EditedSdfHeader([](unsigned char* p, std::string&) { p[40] = 'x'; })},
        {"nul in signature", EditedSdfHeader([](unsigned char* p, std::string&) { p[10] = 0; })},
        {"negative channels",
         EditedSdfHeader([](unsigned char* p, std::string&) { PutI16(p + 210, -1); })},
        {"negative extra",
         EditedSdfHeader([](unsigned char* p, std::string&) { PutI16(p + 212, -1); })},
        {"negative samples",
         EditedSdfHeader([](unsigned char* p, std::string&) { PutI32(p + 214, -1); })},
        {"negative bursts",
         EditedSdfHeader([](unsigned char* p, std::string&) { PutI16(p + 223, -3); })},
        {"33 sampled",
         EditedSdfHeader([](unsigned char* p, std::string&) { PutI16(p + 210, 33); })},
        {"34 entries", EditedSdfHeader([](unsigned char* p, std::string& s) {
             PutI16(p + 210, 30);
             PutI16(p + 212, 4);
             s.resize(256 + 34 * 32, ' ');
         })},
        {"block past 2 GB",
         EditedSdfHeader([](unsigned char* p, std::string&) { PutI32(p + 214, 0x7FFFFFFF); })},
        {"sampling unit 9", EditedSdfHeader([](unsigned char* p, std::string&) { p[222] = 9; })},
        {"burst unit 200", EditedSdfHeader([](unsigned char* p, std::string&) { p[229] = 200; })},
        {"start 1e300",
         EditedSdfHeader([](unsigned char* p, std::string&) { PutF64(p + 230, 1e300); })},
        {"start -1e19",
         EditedSdfHeader([](unsigned char* p, std::string&) { PutF64(p + 230, -1e19); })},
        {"start 9.2e18",
         EditedSdfHeader([](unsigned char* p, std::string&) { PutF64(p + 230, 9.2e18); })},
        {"start year 10000",
         EditedSdfHeader([](unsigned char* p, std::string&) { PutF64(p + 230, 2958466.0); })},
        {"start NaN", EditedSdfHeader([](unsigned char* p, std::string&) {
             PutF64(p + 230, std::numeric_limits<double>::quiet_NaN());
         })},
        {"table cut", EditedSdfHeader([](unsigned char*, std::string& s) { s.resize(280); })},
        {"fixed header cut",
         EditedSdfHeader([](unsigned char*, std::string& s) { s.resize(230); })},
        {"empty", ""},
    };
}

// A tsd Ver.2 header of two channels the readers take.
inline const std::string GoodTsdHeader =
    "Time Series Data Text Format Ver.2\r\n'c'\r\n2003/04/05 06:07:08\r\n100 msec\r\n2\r\n"
    "1 hr\r\n2,0\r\n3\r\n1,0.5\r\n0,-1.25\r\n'Ch.1','Ch.2'\r\n'mV','mV'\r\n";

// GoodTsdHeader with one thing wrong: each must be refused.
inline std::vector<BadHeader> BadTsdHeaders() {
    const std::string& good = GoodTsdHeader;
    auto replace = [&](const std::string& from, const std::string& to) {
        std::string s = good;
        s.replace(s.find(from), from.size(), to);
        return s;
    };
    return {
        {"no signature", replace("Time Series", "Tame Series")},
        {"version 3", replace("Ver.2", "Ver.3")},
        {"no version", replace("Ver.2", "Ver.")},
        {"no unit", replace("100 msec", "100 ticks")},
        {"no burst unit", replace("1 hr", "1")},
        {"fraction", replace("100 msec", "1.5 msec")},
        {"bad date", replace("2003/04/05", "2003/13/05")},
        {"one count", replace("2,0\r\n", "2\r\n")},
        {"negative", replace("2,0\r\n", "2,-1\r\n")},
        {"33 sampled", replace("2,0\r\n", "33,0\r\n")},
        {"34 entries", replace("2,0\r\n", "30,4\r\n")},
        {"burst count 16 bits", replace("\r\n2\r\n", "\r\n40000\r\n")},
        {"short list", replace("1,0.5", "1")},
        {"block past 2 GB", replace("\r\n3\r\n1,0.5", "\r\n2000000000\r\n1,0.5")},
        {"not a number", replace("0,-1.25", "0,x")},
        {"beyond a float", replace("1,0.5\r\n", "1,1E39\r\n")},
        {"infinite", replace("1,0.5\r\n", "1,INF\r\n")},
        {"short names", replace("'Ch.1','Ch.2'", "'Ch.1'")},
        {"LF only",
         [&] {
             std::string s = good;
             for (std::size_t p; (p = s.find("\r\n")) != std::string::npos;)
                 s.replace(p, 2, "\n");
             return s;
         }()},
        {"ends early", good.substr(0, good.find("3\r\n1,0.5"))},
    };
}

} // namespace tavrel::test
