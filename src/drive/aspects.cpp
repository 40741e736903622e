#include "drive/aspects.h"

#include <algorithm>
#include <cmath>

#include "core/fixed4.h"
#include "drive/state.h"

namespace ostrel {

bool stop_aspect(int a) {
    return a == 0 || a == 3 || a == 6 || a == 9 || a == 13 || a == 17;
}
bool proceed_aspect(int a) {
    return a == 5 || a == 8 || a == 12 || a == 16 || a == 21;
}
int aspect_class(int a) {
    if (a == 14 || a == 18) return 1;
    if (a == 4 || a == 7 || a == 10 || a == 15 || a == 19) return 2;
    if (a == 11 || a == 20) return 3;
    return 0;
}

int aspect_for(int type, int state) {
    static const int kTable[6][5] = {{0, 1, 1, 1, 2},      {3, 4, 4, 4, 4},
                                     {6, 7, 7, 8, 8},      {9, 10, 10, 11, 12},
                                     {13, 14, 15, 15, 16}, {17, 18, 19, 20, 21}};
    if (state < 0 || state > 4 || type < 0) return -1;
    return kTable[std::min(type, 5)][state];
}

int pattern_speed_for(long double brake_rate, long double distance, int target, int ceiling) {
    long double squared = (brake_rate * 0.8L * (distance / 100) * 7.2L * 1e4L +
                           static_cast<long double>(target) * target * 1e4L) /
                          1e4L;
    if (!(squared >= 0)) squared = 0;
    int speed = static_cast<int>(round_to_int64(std::sqrt(squared)));
    return speed >= ceiling ? kNone : speed;
}

}  // namespace ostrel
