// One run in this process: the same streams, messages and script stack as
// pelornrun, with the options applied to the compiled script.
#include "single_run.h"

#include "../console_run.h"
#include "messages.h"
#include "readers.h"

#include <cerrno>
#include <cstring>

namespace pelorn::command {

namespace {

struct Job {
    const Options *options;
    const std::string *text; // the script's text, unless it is a file
    int status;
};

ScriptObject *compile(const Job &job)
{
    const Options &options = *job.options;
    switch (options.source) {
    case ScriptSource::Text:
        return ParseScriptText(job.text->data(), job.text->size(), kTextScriptName, nullptr, nullptr);
    case ScriptSource::StandardInput:
        return ParseScriptText(job.text->data(), job.text->size(), kStandardInputName, nullptr, nullptr);
    case ScriptSource::File:
        break;
    }
    return ParseScript(options.script.c_str(), nullptr);
}

// A succeeded run exits with the status the script asked for, if any.
int statusOfRun(bool succeeded)
{
    if (!succeeded)
        return kExitRunFailed;
    int32_t requested = GetRequestedExitStatus();
    return requested >= 0 ? requested : kExitSuccess;
}

void *runJob(void *argument)
{
    auto *job = static_cast<Job *>(argument);
    const Options &options = *job->options;
    ScriptObject *script = compile(*job);
    if (script == nullptr) {
        job->status = kExitNotRun;
        return nullptr;
    }
    // As if the script had called SetCurrentReader first: the run's own
    // refresh of the registry keeps the entry.
    if (options.reader) {
        ReaderEntry *reader = findReader(*options.reader);
        if (reader == nullptr) {
            FreeScript(script);
            job->status = kExitNotRun;
            return nullptr;
        }
        SetCurrentReaderEntry(reader);
    }
    if (options.trace)
        SetScriptAPDUVerbose(script, 1);
    SetScriptGlobalsPublic(script, 0); // nothing reads them after the run
    bool succeeded = runner::runReportingFailure(script);
    FreeScript(script);
    job->status = statusOfRun(succeeded);
    return nullptr;
}

std::vector<const char *> pointersTo(const std::vector<std::string> &words)
{
    std::vector<const char *> pointers;
    for (const std::string &w : words)
        pointers.push_back(w.c_str());
    return pointers;
}

} // namespace

std::string textScript(const std::string &text)
{
    // A line is a statement only with its line break; a one-line -e would
    // otherwise never compile.
    if (text.empty() || text.back() != '\n')
        return text + '\n';
    return text;
}

bool readStandardInput(std::string &script)
{
    char buffer[65536];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, stdin)) > 0)
        script.append(buffer, n);
    if (std::ferror(stdin)) {
        std::fprintf(stderr, text::kStandardInputUnreadable, std::strerror(errno));
        return false;
    }
    return true;
}

int runOnce(const Options &options)
{
    if (options.debug)
        SwitchDebugMode(1);
    std::string text;
    if (options.source == ScriptSource::Text)
        text = textScript(options.script);
    else if (options.source == ScriptSource::StandardInput && !readStandardInput(text))
        return kExitNotRun;
    std::vector<const char *> arguments = pointersTo(options.arguments);
    SetScriptArguments(static_cast<int32_t>(arguments.size()), arguments.data());
    Job job{&options, &text, kExitSuccess};
    runner::runOnLargeStack(runJob, &job);
    return job.status;
}

} // namespace pelorn::command
