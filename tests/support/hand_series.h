// A small load series whose figures were worked out by hand: two loads,
// two "up" series at 0 degrees, one "up" and one "down" series at 120.
//
// Deflections (signal - the series' zero-before):
//   series 1 (0, up):     X(10) = 1.100 - 0.100 = 1.000   X(20) = 2.000
//   series 2 (0, up):     X(10) = 1.202 - 0.200 = 1.002   X(20) = 2.000
//   series 3 (120, up):   X(10) = 0.998                   X(20) = 1.994
//   series 4 (120, down): X(10) = 1.001                   X(20) = 1.996
// Reference series 1 and 3: X-bar(10) = 0.999, X-bar(20) = 1.997 = X_N.
//   b(10)  = 100 (1.000 - 0.998) / 0.999 = 0.200200200
//   b(20)  = 100 (2.000 - 1.994) / 1.997 = 0.300450676
//   b'(10) = 100 |1.002 - 1.000| / 1.001 = 0.199800200   (series 1 and 2)
//   b'(20) = 0
//   degree 1: A = (10 * 0.999 + 20 * 1.997) / (10^2 + 20^2) = 49.93 / 500 = 0.09986
//   fc(10) = 100 (0.999 - 0.9986) / 0.9986 = 0.040056078
//   fc(20) = 100 (1.997 - 1.9972) / 1.9972 = -0.010014020
//   f0 = 100 (0.101 - 0.100) / 1.997 = 0.050075113, 0, 100 * 0.0019 / 1.997 =
//        0.095142714, 0 (series 1..4)
//   v(10)  = 100 |1.001 - 0.998| / 1.997 = 0.150225338   (series 4 against 3)
//   v(20)  not formed: the largest load
// Worst: b 0.300450676, b' 0.199800200, fc 0.040056078, f0 0.095142714,
// v 0.150225338: class "1" fails on b (0.20), class "2" holds (b' 0.1998
// against 0.20, f0 0.0951 against 0.10).
#pragma once

namespace rm27::test {

inline constexpr const char* kHandSeriesCsv =
    "series,position_deg,direction,kind,load,signal_mvv,value\n"
    "1,0,up,zero-before,0,0.100,0\n"
    "1,0,up,load,10,1.100,10\n"
    "1,0,up,load,20,2.100,20\n"
    "1,0,up,zero-after,0,0.101,0\n"
    "2,0,up,zero-before,0,0.200,0\n"
    "2,0,up,load,10,1.5,15\n" // taken again below: the later row counts
    "2,0,up,load,10,1.202,10\n"
    "2,0,up,load,20,2.200,20\n"
    "2,0,up,zero-after,0,0.200,0\n"
    "3,120,up,zero-before,0,0,0\n"
    "3,120,up,load,10,0.998,10\n"
    "3,120,up,load,20,1.994,20\n"
    "3,120,up,zero-after,0,0.0019,0\n"
    "4,120,down,zero-before,0,0,0\n"
    "4,120,down,load,20,1.996,20\n"
    "4,120,down,load,10,1.001,10\n"
    "4,120,down,zero-after,0,0,\n";

} // namespace rm27::test
