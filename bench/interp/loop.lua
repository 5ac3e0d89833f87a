local s = 0
for i = 1, 10000000 do
  if i % 3 == 0 then s = s + i * 2 else s = s - 1 end
end
print(s)
