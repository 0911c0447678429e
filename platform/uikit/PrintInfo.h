#pragma once

#include "foundation/Object.h"

#include <string>

namespace ui {

enum class PrintInfoOutputType { General = 0, Photo = 1, Grayscale = 2 };
enum class PrintInfoOrientation { Portrait = 0, Landscape = 1 };
enum class PrintInfoDuplex { None = 0, LongEdge = 1, ShortEdge = 2 };

// What a print job is: stored settings.
class PrintInfo : public ns::Object
{
public:
    static ns::Ref<PrintInfo> printInfo() { return ns::Factory<PrintInfo>::make(); }

    PrintInfoOutputType outputType() const { return m_outputType; }
    void setOutputType(PrintInfoOutputType type) { m_outputType = type; }
    PrintInfoOrientation orientation() const { return m_orientation; }
    void setOrientation(PrintInfoOrientation orientation) { m_orientation = orientation; }
    PrintInfoDuplex duplex() const { return m_duplex; }
    void setDuplex(PrintInfoDuplex duplex) { m_duplex = duplex; }
    const std::string& jobName() const { return m_jobName; }
    void setJobName(std::string name) { m_jobName = std::move(name); }

    std::string className() const override { return "UIPrintInfo"; }

protected:
    PrintInfo() = default;
    friend ns::Factory<PrintInfo>;

private:
    PrintInfoOutputType m_outputType = PrintInfoOutputType::General;
    PrintInfoOrientation m_orientation = PrintInfoOrientation::Portrait;
    PrintInfoDuplex m_duplex = PrintInfoDuplex::None;
    std::string m_jobName;
};

} // namespace ui
