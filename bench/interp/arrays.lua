local a = {}
for i = 0, 99999 do a[#a + 1] = i end
local s = 0
for i = 1, 100000 do s = s + a[i] end
print(s)
