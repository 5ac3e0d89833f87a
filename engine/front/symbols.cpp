// The compilation's symbol lists, their moves and the name lookups.
#include "front/symbols.h"

#include "builtins/registry.h"
#include "front/compilation.h"
#include "front/modules.h"
#include "interp/nodes.h"

#include <cctype>
#include <cstring>

namespace pelorn::front {

void SymbolList::pushFront(SymbolEntry *entry)
{
    entry->previous = nullptr;
    entry->next = head;
    if (head != nullptr)
        head->previous = entry;
    else
        tail = entry;
    head = entry;
}

void SymbolList::append(SymbolList &other)
{
    if (other.head == nullptr)
        return;
    if (head == nullptr) {
        head = other.head;
    } else {
        tail->next = other.head;
        other.head->previous = tail;
    }
    tail = other.tail;
    other.head = other.tail = nullptr;
}

SymbolEntry *SymbolList::take()
{
    SymbolEntry *chain = head;
    head = tail = nullptr;
    return chain;
}

size_t SymbolTables::CaseInsensitiveHash::operator()(std::string_view s) const
{
    size_t h = 14695981039346656037ull;
    for (char c : s)
        h = (h ^ static_cast<unsigned char>(std::tolower(static_cast<unsigned char>(c)))) * 1099511628211ull;
    return h;
}

bool SymbolTables::CaseInsensitiveEqual::operator()(std::string_view a, std::string_view b) const
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

SymbolTables::~SymbolTables() { releaseAll(); }

void SymbolTables::indexShared(const ModuleRecord *modules)
{
    shared_.clear();
    auto add = [this](SymbolEntry *head) {
        for (SymbolEntry *e = head; e != nullptr; e = e->next)
            if (const char *name = entryName(*e); name != nullptr)
                shared_[name].push_back(e);
    };
    add(builtins::globalList());
    for (const ModuleRecord *m = modules; m != nullptr; m = m->next)
        add(m->symbols);
}

SymbolEntry *SymbolTables::findShared(const char *name) const
{
    auto found = shared_.find(name);
    if (found == shared_.end())
        return nullptr;
    for (SymbolEntry *e : found->second)
        if (nameMatches(*e, name))
            return e;
    return nullptr;
}

void SymbolTables::seedOuter(SymbolEntry *globals)
{
    outer_ = globals;
    for (SymbolEntry *e = globals; e != nullptr; e = e->next)
        if (e->kind == PELORN_SYM_VARIABLE && e->a.name != nullptr)
            variables_.emplace(e->a.name, Slot{e, ListId::Outer});
}

void SymbolTables::forgetOuter()
{
    forget(outer_);
    outer_ = nullptr;
}

SymbolEntry *SymbolTables::findVariable(const char *name, std::initializer_list<ListId> order) const
{
    auto [first, last] = variables_.equal_range(name);
    SymbolEntry *best = nullptr;
    size_t bestRank = order.size();
    for (auto it = first; it != last; ++it) {
        if (it->second.list == ListId::Outer && inRoutine_ && it->second.entry->isConstant == 0)
            continue;
        size_t rank = 0;
        for (ListId id : order) {
            if (id == it->second.list)
                break;
            ++rank;
        }
        if (rank < bestRank) {
            bestRank = rank;
            best = it->second.entry;
        }
    }
    return best;
}

SymbolEntry *SymbolTables::find(const char *name) const
{
    if (SymbolEntry *e = findShared(name))
        return e;
    return findVariable(name,
                        {ListId::Scope, ListId::Outer, ListId::Constants, ListId::Parameters, ListId::NewVariables});
}

SymbolList &SymbolTables::list(ListId id)
{
    switch (id) {
    case ListId::Scope:
        return scope_;
    case ListId::Constants:
        return constants_;
    case ListId::Parameters:
        return parameters_;
    case ListId::NewVariables:
    case ListId::Outer: // never created into
        break;
    }
    return newVariables_;
}

SymbolEntry *SymbolTables::createVariable(ListId id, const char *name, bool constant)
{
    auto *entry = static_cast<SymbolEntry *>(zalloc(sizeof(SymbolEntry)));
    if (entry == nullptr)
        throw std::bad_alloc();
    entry->kind = PELORN_SYM_VARIABLE;
    entry->a.name = zstrdup(name);
    if (entry->a.name == nullptr) {
        zfree(entry);
        throw std::bad_alloc();
    }
    entry->isConstant = constant ? 1 : 0;
    list(id).pushFront(entry);
    variables_.emplace(entry->a.name, Slot{entry, id});
    return entry;
}

interp::VariableExpr *SymbolTables::makeVariableExpr(SymbolEntry *entry)
{
    const char *name = entryName(*entry);
    // Only variables can be bound; the scanner never hands over anything
    // else, but a name must never bind to a routine's entry point.
    if (find(name) == nullptr || entry->kind != PELORN_SYM_VARIABLE)
        entry = createVariable(ListId::NewVariables, name, false);
    // Built-in and module variables are read and written in their entries.
    bool external = findShared(name) == entry;
    return stamp(new interp::VariableExpr(name, entry, external));
}

interp::VariableExpr *SymbolTables::resolveVariable(const char *name)
{
    SymbolEntry *entry = findShared(name);
    if (entry == nullptr)
        entry = findVariable(
            name, {ListId::Scope, ListId::Outer, ListId::Parameters, ListId::Constants, ListId::NewVariables});
    if (entry == nullptr)
        entry = createVariable(ListId::NewVariables, name, false);
    return makeVariableExpr(entry);
}

interp::VariableExpr *SymbolTables::declareParameter(const char *name)
{
    if (findShared(name) != nullptr || findVariable(name, {ListId::Scope, ListId::Parameters}) != nullptr)
        return nullptr;
    return makeVariableExpr(createVariable(ListId::Parameters, name, false));
}

interp::VariableExpr *SymbolTables::declareConstant(const char *name)
{
    if (findShared(name) != nullptr ||
        findVariable(name, {ListId::Scope, ListId::NewVariables, ListId::Constants, ListId::Outer}) != nullptr)
        return nullptr;
    return makeVariableExpr(createVariable(ListId::Constants, name, true));
}

void SymbolTables::moveTo(SymbolList &from, SymbolList &to, ListId toId)
{
    for (SymbolEntry *e = from.head; e != nullptr; e = e->next) {
        auto [first, last] = variables_.equal_range(e->a.name);
        for (auto it = first; it != last; ++it)
            if (it->second.entry == e)
                it->second.list = toId;
    }
    to.append(from);
}

void SymbolTables::forget(SymbolEntry *head)
{
    for (SymbolEntry *e = head; e != nullptr; e = e->next) {
        auto [first, last] = variables_.equal_range(e->a.name);
        for (auto it = first; it != last; ++it) {
            if (it->second.entry == e) {
                variables_.erase(it);
                break;
            }
        }
    }
}

SymbolEntry *SymbolTables::takeNewVariables()
{
    forget(newVariables_.head);
    return newVariables_.take();
}

SymbolEntry *SymbolTables::takeRoutineSymbols()
{
    SymbolList all;
    all.append(parameters_);
    all.append(scope_);
    all.append(newVariables_);
    forget(all.head);
    return all.take();
}

SymbolEntry *SymbolTables::takeGlobals()
{
    // Variables created by the constant expressions of a script without
    // statements would otherwise belong to no list, and the constants'
    // assignments would read freed entries.
    scope_.append(constants_);
    scope_.append(newVariables_);
    variables_.clear();
    return scope_.take();
}

void SymbolTables::releaseAll()
{
    variables_.clear();
    shared_.clear();
    releaseSymbolList(scope_.take());
    releaseSymbolList(constants_.take());
    releaseSymbolList(parameters_.take());
    releaseSymbolList(newVariables_.take());
}

} // namespace pelorn::front
