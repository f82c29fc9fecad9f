#pragma once

#include <libical/ical.h>

#include <cstdlib>
#include <memory>

// Owners of what libical hands out, so that an exception halfway through a file leaks nothing.
struct IcalFree
{
    void operator()(icalcomponent* component) const { icalcomponent_free(component); }
    void operator()(icalrecur_iterator* iterator) const { icalrecur_iterator_free(iterator); }
    void operator()(icalparser* parser) const { icalparser_free(parser); }
    void operator()(char* text) const { std::free(text); }
};

using IcalComponentPtr = std::unique_ptr<icalcomponent, IcalFree>;
using IcalIteratorPtr = std::unique_ptr<icalrecur_iterator, IcalFree>;
using IcalParserPtr = std::unique_ptr<icalparser, IcalFree>;
using IcalTextPtr = std::unique_ptr<char, IcalFree>;
