#!/bin/sh
# Regenerates the program's sounds: tones and effects from sox, spoken chatter
# from espeak-ng. Every file is 8-bit unsigned mono at 11025 Hz to keep the
# embedded set small. Run from anywhere; the WAV files land beside this script.
set -eu

here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Repeatable noise and dither: the same script gives the same files.
export SOX_OPTS="-R"

rate=11025
# Intermediate files stay 16-bit at the final rate; `final` narrows them.
raw="-r $rate -c 1 -b 16 -e signed-integer"

final() { # final <source> <NAME>
    sox -D "$1" -r $rate -c 1 -b 8 -e unsigned-integer "$here/$2.wav" norm -1
}

tone() { # tone <out> <seconds> <synth arguments...>
    out=$1
    len=$2
    shift 2
    sox -n $raw "$out" synth "$len" "$@"
}

speak() { # speak <out> <voice> <pitch> <speed> <text>
    espeak-ng -w "$work/speech.wav" -v "$2" -p "$3" -s "$4" "$5"
    sox "$work/speech.wav" $raw "$1" silence 1 0.01 1% reverse silence 1 0.01 1% reverse
}

# ---- game events ----

# A door chime: ding, then dong.
tone "$work/a.wav" 0.35 sine 660 fade q 0.005 0.35 0.3
tone "$work/b.wav" 0.55 sine 523 fade q 0.005 0.55 0.5
sox "$work/a.wav" "$work/b.wav" "$work/entered.wav"
final "$work/entered.wav" ENTERED

# A dry tick.
tone "$work/click.wav" 0.03 square 1800 fade q 0 0.03 0.025
final "$work/click.wav" CLICK

# Classic turn: two short beeps.
tone "$work/a.wav" 0.12 sine 880 fade q 0.005 0.12 0.03
tone "$work/gap.wav" 0.06 sine 0 vol 0
sox "$work/a.wav" "$work/gap.wav" "$work/a.wav" "$work/turn.wav"
final "$work/turn.wav" TURN

# New turn: a rising three-note call.
tone "$work/a.wav" 0.1 triangle 784 fade q 0.005 0.1 0.02
tone "$work/b.wav" 0.1 triangle 988 fade q 0.005 0.1 0.02
tone "$work/c.wav" 0.25 triangle 1175 fade q 0.005 0.25 0.15
sox "$work/a.wav" "$work/b.wav" "$work/c.wav" "$work/turnnew.wav"
final "$work/turnnew.wav" TURNNEW

# A card snapped onto the table: a short band of noise that dies at once.
tone "$work/placecard.wav" 0.09 whitenoise fade q 0.002 0.09 0.08
sox "$work/placecard.wav" "$work/snap.wav" sinc 400-3500
final "$work/snap.wav" PLACECARD

# Trick won: a bright major arpeggio.
tone "$work/a.wav" 0.09 sine 523 fade q 0.005 0.09 0.02
tone "$work/b.wav" 0.09 sine 659 fade q 0.005 0.09 0.02
tone "$work/c.wav" 0.3 sine 784 fade q 0.005 0.3 0.2
sox "$work/a.wav" "$work/b.wav" "$work/c.wav" "$work/good.wav"
final "$work/good.wav" TURNOVERGOOD

# Trick lost: two falling notes.
tone "$work/a.wav" 0.14 triangle 440 fade q 0.005 0.14 0.03
tone "$work/b.wav" 0.3 triangle 349 fade q 0.005 0.3 0.2
sox "$work/a.wav" "$work/b.wav" "$work/bad.wav"
final "$work/bad.wav" TURNOVERBAD

# A low buzz.
tone "$work/error.wav" 0.35 square 150 fade q 0.005 0.35 0.05 vol 0.5
final "$work/error.wav" ERROR

# End of a hand: a short fanfare.
tone "$work/a.wav" 0.12 sawtooth 392 fade q 0.005 0.12 0.02
tone "$work/b.wav" 0.12 sawtooth 523 fade q 0.005 0.12 0.02
tone "$work/c.wav" 0.45 sawtooth 659 fade q 0.005 0.45 0.3
sox "$work/a.wav" "$work/b.wav" "$work/c.wav" "$work/round.wav" sinc -2500
final "$work/round.wav" ROUNDOVER

# The game is won: a longer fanfare over a chord.
tone "$work/a.wav" 0.12 sawtooth 523 fade q 0.005 0.12 0.02
tone "$work/b.wav" 0.12 sawtooth 659 fade q 0.005 0.12 0.02
tone "$work/c.wav" 0.12 sawtooth 784 fade q 0.005 0.12 0.02
tone "$work/d.wav" 0.9 sawtooth 1047 sawtooth 784 sawtooth 659 fade q 0.005 0.9 0.6
sox "$work/a.wav" "$work/b.wav" "$work/c.wav" "$work/a.wav" "$work/b.wav" "$work/c.wav" \
    "$work/d.wav" "$work/winner.wav" sinc -3000
final "$work/winner.wav" WINNER

# Carried with the set: a soft blip and a swish.
tone "$work/bid.wav" 0.08 sine 1046 fade q 0.005 0.08 0.05
final "$work/bid.wav" BID
tone "$work/swish.wav" 0.25 pinknoise fade q 0.1 0.25 0.12
sox "$work/swish.wav" "$work/taketrick.wav" sinc 800-3000
final "$work/taketrick.wav" TAKETRICK

# ---- chatter sounds 1 to 20 ----

speak "$work/w1.wav" en-us+m3 40 150 "D'oh!"
final "$work/w1.wav" WAVE1

# Two coughs: bursts of low noise.
tone "$work/c1.wav" 0.18 brownnoise fade q 0.01 0.18 0.14
tone "$work/gap.wav" 0.12 sine 0 vol 0
sox "$work/c1.wav" "$work/gap.wav" "$work/c1.wav" "$work/w2.wav" sinc 150-2000 gain 6
final "$work/w2.wav" WAVE2

speak "$work/w3.wav" en-us 55 150 "Hello!"
final "$work/w3.wav" WAVE3

speak "$work/w4.wav" en-us 50 150 "Thank you!"
final "$work/w4.wav" WAVE4

speak "$work/w5.wav" en-us 50 150 "Where have you been?"
final "$work/w5.wav" WAVE5

# Snoring: rumbling noise that swells and fades twice.
tone "$work/s.wav" 1.2 brownnoise tremolo 28 60 fade q 0.5 1.2 0.6
tone "$work/gap.wav" 0.4 sine 0 vol 0
sox "$work/s.wav" "$work/gap.wav" "$work/s.wav" "$work/w6.wav" sinc -700
final "$work/w6.wav" WAVE6

# Sneezing: a spoken wind-up, then a burst.
speak "$work/ah.wav" en-us+f2 70 110 "ah, ahh,"
tone "$work/choo.wav" 0.3 whitenoise fade q 0.005 0.3 0.25
sox "$work/choo.wav" "$work/choo2.wav" sinc 1500-5000
sox "$work/ah.wav" "$work/choo2.wav" "$work/w7.wav"
final "$work/w7.wav" WAVE7

speak "$work/w8.wav" en-us 45 140 "Sorry."
final "$work/w8.wav" WAVE8

speak "$work/w9.wav" en-us 55 150 "Welcome!"
final "$work/w9.wav" WAVE9

speak "$work/w10.wav" en-us+m1 80 150 "Yee haaa!"
final "$work/w10.wav" WAVE10

speak "$work/w11.wav" en-us+f3 90 170 "Yippee!"
final "$work/w11.wav" WAVE11

speak "$work/w12.wav" en-us 35 120 "Oh no!"
final "$work/w12.wav" WAVE12

# Applause: bursts of clapping noise.
tone "$work/clap.wav" 2.0 pinknoise tremolo 9 90 fade q 0.2 2.0 0.8
sox "$work/clap.wav" "$work/w13.wav" sinc 700-5000
final "$work/w13.wav" WAVE13

# A car horn: two reedy notes together.
tone "$work/h.wav" 0.35 sawtooth 330 sawtooth 415 fade q 0.01 0.35 0.05
tone "$work/gap.wav" 0.1 sine 0 vol 0
sox "$work/h.wav" "$work/gap.wav" "$work/h.wav" "$work/w14.wav" sinc -2500
final "$work/w14.wav" WAVE14

speak "$work/w15.wav" en-us+f4 60 80 "Ooooooh"
final "$work/w15.wav" WAVE15

# A raspberry: a low buzzing flutter.
tone "$work/w16.wav" 0.8 sawtooth 95 tremolo 30 70 fade q 0.03 0.8 0.2
sox "$work/w16.wav" "$work/w16b.wav" sinc -1800
final "$work/w16b.wav" WAVE16

# A cheer: several voices over a crowd.
speak "$work/v1.wav" en-us+m3 60 160 "Hooray!"
speak "$work/v2.wav" en-us+f2 80 150 "Hooray!"
tone "$work/crowd.wav" 1.2 pinknoise tremolo 6 50 fade q 0.1 1.2 0.5 vol 0.3
sox -m "$work/v1.wav" "$work/v2.wav" "$work/crowd.wav" "$work/w17.wav"
final "$work/w17.wav" WAVE17

speak "$work/w18.wav" en-us+f3 90 190 "ha ha ha ha ha!"
final "$work/w18.wav" WAVE18

speak "$work/w19.wav" en-us+m3 20 170 "ho ho ho ho ho!"
final "$work/w19.wav" WAVE19

speak "$work/cry.wav" en-us+f2 75 90 "waaa haa haaa"
sox "$work/cry.wav" "$work/w20.wav" tremolo 7 40
final "$work/w20.wav" WAVE20
