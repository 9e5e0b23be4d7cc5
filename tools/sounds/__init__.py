"""The sound code behind tools/make_sounds.py, one module per subject:

  rustle  - the card rustle, synthesised from filtered noise, as a wave file
  score   - pitches, bars, chords, scales and the Song with its dynamic arc
  band    - the band's accompaniment figures, counter-melodies and ornaments
  midi    - writing a Song as a MIDI file, and reading one back to check it
  pieces  - the notes of "Cinque carte", the game piece
  finale  - the notes of the finale
  listen  - figures of a render (levels per section, spectrum, the loop seam);
            needs numpy, for the developer only

render_music.cpp renders a piece with the game's own synthesizer, off-line or
through the game's real output.
"""
