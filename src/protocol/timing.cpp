#include "protocol/timing.h"

#include <algorithm>

namespace trv81k {

Timing Timing::scaled(double factor) const {
    auto scale = [factor](ms value) {
        const auto scaledCount = static_cast<ms::rep>(static_cast<double>(value.count()) * factor);
        return ms{std::max<ms::rep>(1, scaledCount)};
    };
    Timing t = *this;
    for (ms* field :
         {&t.searchTick, &t.fastTick, &t.configureTick, &t.loginPause, &t.loginSuccessPause,
          &t.pairingPause, &t.configureGrace, &t.configureBuildPause, &t.closePause}) {
        *field = scale(*field);
    }
    return t;
}

}  // namespace trv81k
