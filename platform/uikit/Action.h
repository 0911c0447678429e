#pragma once

#include "foundation/Object.h"

#include <functional>

namespace ui {

// A target and the operation to send it: the operation runs with the sender while the target lives.
// Without a target (nothing was given) the operation always runs.
class TargetAction
{
public:
    using Operation = std::function<void(const ns::Id& sender)>;

    TargetAction() = default;
    TargetAction(ns::Id target, Operation operation)
        : m_target(target), m_hasTarget(target != nullptr), m_operation(std::move(operation))
    {
    }

    ns::Id target() const { return m_target.lock(); }
    bool hasAction() const { return static_cast<bool>(m_operation); }
    // Whether it ran.
    bool send(const ns::Id& sender) const
    {
        if (!m_operation)
            return false;
        ns::Id target = m_target.lock();
        if (m_hasTarget && !target)
            return false;
        m_operation(sender);
        return true;
    }

private:
    ns::Weak<ns::Object> m_target;
    bool m_hasTarget = false;
    Operation m_operation;
};

} // namespace ui
