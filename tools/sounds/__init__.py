"""The sound code behind tools/make_sounds.py, one module per subject:

  rustle  - the card rustle, synthesised from filtered noise, as a wave file
  score   - pitches, bars, chords, the Song and the band's accompaniment
  midi    - writing a Song as a MIDI file, and reading one back to check it
  pieces  - the notes of "Cinque carte" and of the finale
"""
