-- Lua has no byte array; a table of integers stands in for one.
local b = {}
for i = 0, 999999 do b[i] = i % 256 end
local s = 0
for i = 0, 999999 do s = s + b[i] end
print(s)
