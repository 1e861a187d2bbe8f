#include "core/exception.h"

namespace {

const char *faultName(Fault fault)
{
    switch (fault) {
#define MILTA_FAULT_NAME(name) \
    case Fault::name:          \
        return #name;
        MILTA_FAULTS(MILTA_FAULT_NAME)
#undef MILTA_FAULT_NAME
    }
    return "?";
}

std::string description(Fault fault, const std::vector<std::string> &values)
{
    std::string text = faultName(fault);
    for (std::size_t i = 0; i < values.size(); ++i)
        text += (i == 0 ? ": " : ", ") + values[i];
    return text;
}

} // namespace

Exception::Exception(Fault fault, std::vector<std::string> values)
    : std::runtime_error(description(fault, values)), m_fault(fault), m_values(std::move(values))
{
}
