#pragma once

#include <string>

#include "servicetools/common/ServiceHandles.h"

namespace qeltor::service {

// The Application event log, with the service's name as the source.
class EventLog {
public:
    explicit EventLog(const std::wstring& source);
    void ReportError(const std::wstring& message) const;

private:
    UniqueEventSource source_;
};

}  // namespace qeltor::service
