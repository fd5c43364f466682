"""Writes scattered.xls: a copy of a one-row export of ours (an empty 备注 cell) whose Workbook
stream sectors are out of order, as other writers leave them. Usage: scramble_sectors.py IN OUT"""
import struct, sys
data = bytearray(open(sys.argv[1], 'rb').read())
ss = 512
def sec(s): return (s + 1) * ss
nfat = struct.unpack_from('<I', data, 0x2C)[0]
fatsecs = [struct.unpack_from('<I', data, 0x4C + 4 * i)[0] for i in range(nfat)]
fat = []
for s in fatsecs: fat += list(struct.unpack_from('<128I', data, sec(s)))
dirstart = struct.unpack_from('<I', data, 0x30)[0]
# directory entry 1 is the Workbook in our writer's files; find by name
d = sec(dirstart)
for e in range(4):
    name = data[d + 128*e: d + 128*e + 16].decode('utf-16-le', 'ignore')
    if name.startswith('Workbook'): entry = d + 128*e
start = struct.unpack_from('<I', data, entry + 0x74)[0]
chain = [start]
while fat[chain[-1]] < 0xFFFFFFFA: chain.append(fat[chain[-1]])
a, b = 0, 3   # swap the first sector with the fourth
pa, pb = chain[a], chain[b]
data[sec(pa):sec(pa)+ss], data[sec(pb):sec(pb)+ss] = data[sec(pb):sec(pb)+ss], data[sec(pa):sec(pa)+ss]
new = list(chain); new[a], new[b] = pb, pa
for k in range(len(new)): fat[new[k]] = new[k+1] if k + 1 < len(new) else 0xFFFFFFFE
struct.pack_into('<I', data, entry + 0x74, new[0])
for i, s in enumerate(fatsecs): struct.pack_into('<128I', data, sec(s), *fat[128*i:128*(i+1)])
open(sys.argv[2], 'wb').write(data)
