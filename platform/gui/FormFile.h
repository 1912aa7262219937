#pragma once
// Reading a form from its stored definition in the platform's binary
// form-file format: the form's class name and name, its own properties
// (each a name as a string value followed by its value) up to a list end
// marker, then its components up to a second end marker. A stored
// component names a component the form already owns (the form's class
// made it) and is read, from its class name on, by the first registered
// component reader that takes it.
//
// Once read, a Scaled form stored at another PixelsPerInch than the
// screen's is scaled by (screen, stored): its client size, its font and
// every control on it (ChangeScale).

#include <functional>

#include "platform/core/Filer.h"
#include "platform/core/Streams.h"

class TComponent;
class TCustomForm;

// Reads one stored component into component and answers True, or answers
// False without reading anything when it does not take that component.
using TFormComponentReader = std::function<bool(TReader& reader, TComponent& component)>;
void RegisterFormComponentReader(TFormComponentReader reader);

// Raises EReadError for a damaged definition, an unknown property, a
// component the form does not own or one no reader takes.
void ReadFormFromStream(TCustomForm& form, TStream& stream);
