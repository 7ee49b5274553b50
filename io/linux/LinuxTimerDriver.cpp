// The Linux timer driver: makes timers that tick on threads of their own. It
// owns every timer it made, so stopping it frees those still alive.

#include <new>

#include "io/QXTimerDriver.h"
#include "io/linux/LinuxTimer.h"

namespace {

class LinuxTimerDriver : public QXTimerDriver {
public:
    LinuxTimerDriver() { registerModule("LinuxTimerDriver", nullptr, nullptr); }

    bool startup() override {
        setTimerDriver(this);
        return true;
    }
    void shutdown() override {
        if (timerDriver() == this) setTimerDriver(nullptr);
    }
    QXTimer* createTimer(float hertz) override {
        const int period = timerPeriodMs(hertz);
        if (period <= 0) return nullptr;
        auto* timer = new (std::nothrow) LinuxTimer(period);
        if (!timer) return nullptr;
        if (!timer->start()) {
            release(timer);
            return nullptr;
        }
        addModuleResource(timer);
        return timer;
    }
};

}  // namespace

QX_MODULE_INSTANCE(LinuxTimerDriver, 13);
