#pragma once
// Exceptions of the document export engine.

#include "platform/core/Exception.h"

class EdeEngineError : public Exception { using Exception::Exception; };

class EInvalidPageNumber : public EdeEngineError {
public:
    EInvalidPageNumber();
};
class EFileCreateError : public EdeEngineError {
public:
    EFileCreateError();
};
class EUnsupportedGraphics : public EdeEngineError {
public:
    EUnsupportedGraphics();
};
class EInvalidEngineState : public EdeEngineError {
public:
    EInvalidEngineState();
};
