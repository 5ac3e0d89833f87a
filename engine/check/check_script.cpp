// Compiling under watch, then the analyses over the outline.
#include "check/check_script.h"

#include "check/analyses.h"
#include "check/compile_watch.h"
#include "check/messages.h"
#include "front/compiler.h"
#include "interp/script.h"

namespace pelorn::check {

namespace {

// Reports a compile error's companion: where the block that lacks its
// "end" was opened.
int32_t reportNotCompiled(const CompileWatch &watch, const char *path, CheckReportFn report, void *context)
{
    if (const CompileWatch::OpenBlock *open = watch.unclosedBlock()) {
        std::string text = format(msg::kBlockNotClosed, open->keyword.c_str());
        report(context, open->inMainFile ? path : open->path.c_str(), open->line, PELORN_CHECK_NOTE, text.c_str());
    }
    return PELORN_CHECK_NOT_COMPILED;
}

Findings analyse(const Outline &outline)
{
    Findings findings;
    checkCalls(outline, findings);
    checkAssignments(outline, findings);
    checkUnassignedReads(outline, findings);
    checkReachability(outline, findings);
    return findings;
}

} // namespace

namespace {

// Compiles under watch with compile(), then analyses and reports.
template <typename Compile>
int32_t checkCompiled(Compile compile, const char *mainName, CheckReportFn report, void *context)
{
    CompileWatch watch;
    front::observeNextCompilation(&watch);
    interp::Script *script = compile();
    // Not taken when the file could not be opened.
    front::observeNextCompilation(nullptr);
    if (script == nullptr)
        return reportNotCompiled(watch, mainName, report, context);

    Outline outline = outlineOf(*script, watch);
    Findings findings = analyse(outline);
    auto nameOf = [&](const Position &p) {
        return p.source == outline.sources.front() ? mainName : p.source->path.c_str();
    };
    for (const Warning &w : findings.sorted(outline.sources)) {
        report(context, nameOf(w.where), w.where.line, PELORN_CHECK_WARNING, w.text.c_str());
        for (const Note &n : w.notes)
            report(context, nameOf(n.where), n.where.line, PELORN_CHECK_NOTE, n.text.c_str());
    }
    script->header.release(script->object());
    interp::destroyScript(script);
    return findings.empty() ? PELORN_CHECK_CLEAN : PELORN_CHECK_WARNINGS;
}

} // namespace

int32_t checkScript(const char *path, CheckReportFn report, void *context)
{
    return checkCompiled([path] { return front::parseScript(path, nullptr); }, path, report, context);
}

int32_t checkScriptText(const char *text, size_t length, const char *name, const char *directory,
                        CheckReportFn report, void *context)
{
    const char *shown = name != nullptr ? name : "";
    return checkCompiled([&] { return front::parseScriptText(text, length, shown, directory, nullptr); }, shown,
                         report, context);
}

} // namespace pelorn::check
