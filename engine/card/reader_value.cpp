// Reader values carry their own hooks: the properties name, string and
// protocol, a release that drops the reference, a copy that takes one.
#include "card/reader_value.h"

#include "card/reader_entry.h"
#include "value/value.h"

#include <strings.h>

namespace pelorn::card {

namespace {

uint8_t copyReader(ScriptValue *destination, ScriptValue *source);

int32_t getReaderProperty(ScriptValue *value, const char *name, ScriptValue *out)
{
    const ReaderEntry *entry = value->u.reader;
    // "string" is what printing a value asks for: a reader prints as its name.
    if (strcasecmp(name, "name") == 0 || strcasecmp(name, "string") == 0) {
        *out = value::makeString(entry->name);
        return 0;
    }
    if (strcasecmp(name, "protocol") == 0) {
        *out = value::makeInteger(entry->protocol);
        return 0;
    }
    return 1;
}

void releaseReader(ScriptValue *value)
{
    ReaderEntry *entry = value->u.reader;
    value::clear(*value);
    release(entry);
}

// Makes the record a reader value for entry; the reference is the caller's.
void fillReader(ScriptValue &value, ReaderEntry *entry)
{
    value = value::empty();
    value.type = PELORN_READER;
    value.u.reader = entry;
    value.getProperty = getReaderProperty;
    value.release = releaseReader;
    value.copy = copyReader;
}

uint8_t copyReader(ScriptValue *destination, ScriptValue *source)
{
    ReaderEntry *entry = source->u.reader;
    retain(entry); // before the release below: source and destination may share the entry
    if (destination->release != nullptr)
        destination->release(destination);
    fillReader(*destination, entry);
    return 1;
}

} // namespace

ScriptValue makeReaderValue(ReaderEntry *entry)
{
    retain(entry);
    ScriptValue v;
    fillReader(v, entry);
    return v;
}

} // namespace pelorn::card
