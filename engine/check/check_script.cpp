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

int32_t checkScript(const char *path, CheckReportFn report, void *context)
{
    CompileWatch watch;
    front::observeNextCompilation(&watch);
    interp::Script *script = front::parseScript(path, nullptr);
    // Not taken when the file could not be opened.
    front::observeNextCompilation(nullptr);
    if (script == nullptr)
        return reportNotCompiled(watch, path, report, context);

    Outline outline = outlineOf(*script, watch);
    Findings findings = analyse(outline);
    auto nameOf = [&](const Position &p) {
        return p.source == outline.sources.front() ? path : p.source->path.c_str();
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

} // namespace pelorn::check
