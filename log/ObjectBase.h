// Root of the records handed to the log writers.
#pragma once

class CObjectBase {
public:
    virtual ~CObjectBase() = default;
};
