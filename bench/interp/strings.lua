-- Lua's idiom for building a string from pieces (repeated .. would copy).
local t = {}
for i = 1, 100000 do t[#t + 1] = "ab" end
local s = table.concat(t)
print(#s)
