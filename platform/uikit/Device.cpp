#include "uikit/Device.h"

namespace ui {

ns::Ref<Device> Device::currentDevice()
{
    static const ns::Ref<Device> device = ns::Factory<Device>::make();
    return device;
}

void Device::reset()
{
    m_systemVersion = "4.2";
    m_name = "Velmo";
    m_idiom = UserInterfaceIdiom::Phone;
    m_multitasking = true;
    m_orientation = DeviceOrientation::Portrait;
}

} // namespace ui
