#!/usr/bin/env python3
"""Fails when an object of a processor class uses an instruction above that class,
or defines for the linker a symbol outside its class namespace (the linker could
then pick that copy, with its class's instructions, for every class).

Usage: check_instruction_sets.py --objdump PATH --nm PATH --class=NAME obj... [--class=NAME obj...]

Levels: 1 SSE (with MMX), 2 SSE2, 3 SSE3, 4 SSSE3, 5 SSE4.1, 6 anything later
(SSE4.2, AVX and its VEX/EVEX encodings, FMA, ymm/zmm registers).
"""
import re
import subprocess
import sys

CLASS_LEVEL = {"generic": 2, "sse": 1, "sse2": 2, "sse3": 3, "ssse3": 4, "sse41": 5}

SSE2 = set("""
addpd addsd andnpd andpd cmppd cmpsd comisd cvtdq2pd cvtdq2ps cvtpd2dq cvtpd2pi cvtpd2ps cvtpi2pd
cvtps2dq cvtps2pd cvtsd2si cvtsd2ss cvtsi2sd cvtsi2sdl cvtsi2sdq cvtss2sd cvttpd2dq cvttpd2pi cvttps2dq
cvttsd2si divpd divsd maxpd maxsd minpd minsd movapd movhpd movlpd movmskpd movsd movupd mulpd mulsd
orpd shufpd sqrtpd sqrtsd subpd subsd ucomisd unpckhpd unpcklpd xorpd movdq2q movq2dq movdqa movdqu
movntdq movntpd movnti maskmovdqu pshufd pshufhw pshuflw pslldq psrldq punpckhqdq punpcklqdq paddq
psubq pmuludq lfence mfence clflush
""".split())
SSE3 = set("addsubps addsubpd haddps haddpd hsubps hsubpd movddup movshdup movsldup lddqu fisttp fisttps fisttpl fisttpll monitor mwait".split())
SSSE3 = set("""
pabsb pabsw pabsd palignr phaddw phaddd phaddsw phsubw phsubd phsubsw pmaddubsw pmulhrsw pshufb psignb
psignw psignd
""".split())
SSE41 = set("""
blendpd blendps blendvpd blendvps dppd dpps extractps insertps movntdqa mpsadbw packusdw pblendvb
pblendw pcmpeqq pextrb pextrd pextrq phminposuw pinsrb pinsrd pinsrq pmaxsb pmaxsd pmaxud pmaxuw
pminsb pminsd pminud pminuw pmovsxbw pmovsxbd pmovsxbq pmovsxwd pmovsxwq pmovsxdq pmovzxbw pmovzxbd
pmovzxbq pmovzxwd pmovzxwq pmovzxdq pmuldq pmulld ptest roundpd roundps roundsd roundss
""".split())
LATER = set("pcmpestri pcmpestrm pcmpistri pcmpistrm pcmpgtq crc32 popcnt lzcnt tzcnt".split())

LINE = re.compile(r"^\s*[0-9a-f]+:\s+(?:[0-9a-f]{2} )+\s*([a-z][a-z0-9.]*)\s*(.*)$")


def level(mnemonic, operands):
    if "%ymm" in operands or "%zmm" in operands or mnemonic.startswith("vfm"):
        return 6
    if mnemonic in LATER or (mnemonic.startswith("v") and "%xmm" in operands):
        return 6
    if mnemonic in SSE41:
        return 5
    if mnemonic in SSSE3:
        return 4
    if mnemonic in SSE3:
        return 3
    if mnemonic in SSE2:
        return 2
    # Integer and scalar moves on xmm registers arrived with SSE2; on mm registers they are MMX.
    if "%xmm" in operands and (mnemonic.startswith("p") or mnemonic in ("movd", "movq")):
        return 2
    return 1


def check(objdump, cls, obj):
    allowed = CLASS_LEVEL[cls]
    text = subprocess.run([objdump, "-d", obj],
                          check=True, capture_output=True, text=True).stdout
    failures = []
    function = "?"
    for line in text.splitlines():
        header = re.match(r"^[0-9a-f]+ <(.*)>:$", line)
        if header:
            function = header.group(1)
            continue
        m = LINE.match(line)
        if not m:
            continue
        mnemonic, operands = m.group(1), m.group(2)
        if level(mnemonic, operands) > allowed:
            failures.append(f"{obj}: {function}: {mnemonic} {operands}".strip())
    return failures


# Linker-visible definitions (global, weak, unique) by nm's type letter.
GLOBAL_TYPES = set("TDBRVWGSui")
# Emitted by the compiler for any source that may unwind; the same in every object.
COMPILER_SYMBOLS = {"DW.ref.__gxx_personality_v0"}


def stray_symbols(nm, cls, obj):
    namespace = f"cls_{cls}"
    # A mangled name inside the namespace, a local static or guard of one, or its vtable or type info.
    inside = re.compile(rf"_Z(?:Z|GVZ|TV|TS|TI)?NK?{len(namespace)}{namespace}")
    text = subprocess.run([nm, "--defined-only", obj],
                          check=True, capture_output=True, text=True).stdout
    failures = []
    for line in text.splitlines():
        parts = line.split(None, 2)
        if len(parts) != 3 or parts[1] not in GLOBAL_TYPES:
            continue
        name = parts[2]
        if name not in COMPILER_SYMBOLS and not inside.match(name):
            failures.append(f"{obj}: defines {name} outside {namespace}")
    return failures


def main(argv):
    objdump = "objdump"
    nm = "nm"
    cls = None
    failures = []
    checked = 0
    i = 0
    while i < len(argv):
        arg = argv[i]
        if arg == "--objdump":
            objdump = argv[i + 1]
            i += 2
            continue
        if arg == "--nm":
            nm = argv[i + 1]
            i += 2
            continue
        if arg.startswith("--class="):
            cls = arg.split("=", 1)[1]
        else:
            for obj in arg.split(";"):
                if obj:
                    failures += check(objdump, cls, obj)
                    failures += stray_symbols(nm, cls, obj)
                    checked += 1
        i += 1
    for f in failures[:50]:
        print(f)
    print(f"{checked} objects checked, {len(failures)} instructions above their class or symbols outside it")
    return 1 if failures or checked == 0 else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
