# Makes the bundled demo tune, data/demo/vireo-demo.mp3, with ffmpeg's synthesiser: a bell-like
# melody over a slow bass line, with a touch of echo. Run: python3 data/demo/make-demo.py
import os
import subprocess
N = {'C4':261.63,'D4':293.66,'E4':329.63,'F4':349.23,'G4':392.00,'A4':440.00,'B4':493.88,
     'C5':523.25,'D5':587.33,'E5':659.25,'G5':783.99,'C3':130.81,'F3':174.61,'G3':196.00,'A3':220.00}
mel = "E4 G4 A4 G4 E4 D4 C4 D4 E4 G4 A4 C5 A4 G4 E4 G4 A4 C5 D5 C5 A4 G4 E4 D4 E4 G4 A4 G4 E4 D4 C4 C4".split()
bass = "C3 A3 F3 G3 C3 A3 G3 C3".split()
step = 0.5
terms = []
for i, n in enumerate(mel):
    a = i * step
    f = N[n]
    d = step * (2 if i == len(mel) - 1 else 1)
    terms.append(f"between(t,{a},{a+d})*exp(-3*(t-{a}))*(sin(2*PI*{f}*t)+0.3*sin(4*PI*{f}*t))")
bterms = []
for i, n in enumerate(bass):
    a = i * 2.0
    f = N[n]
    bterms.append(f"between(t,{a},{a+2})*exp(-1.2*(t-{a}))*sin(2*PI*{f}*t)")
m = "+".join(terms)
b = "+".join(bterms)
left = f"0.42*({m})+0.38*({b})".replace(",", "\\,")
right = f"0.34*({m})+0.46*({b})".replace(",", "\\,")
dur = len(mel) * step + 1.0
cmd = ["ffmpeg", "-hide_banner", "-loglevel", "error", "-y", "-f", "lavfi",
       "-i", f"aevalsrc={left}|{right}:s=44100:d={dur}",
       "-af", f"aecho=0.8:0.6:180:0.25,afade=t=out:st={dur-1.5}:d=1.5",
       "-c:a", "libmp3lame", "-b:a", "96k",
       "-metadata", "title=维雀晨曲", "-metadata", "artist=Vireo", "-metadata", "album=Vireo Demo",
       os.path.join(os.path.dirname(os.path.abspath(__file__)), "vireo-demo.mp3")]
subprocess.run(cmd, check=True)
