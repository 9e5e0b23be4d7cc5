"""The drawing code behind tools/make_art.py, one module per subject:

  svg              - numbers, elements, the document with its gradients
  palette          - the flat colours of the deck, per suit
  lettering        - a small stroke alphabet for the corner indices and titles
  signs            - coin, cup, club, sword, each in a plain and an ace form
  numbers          - where 2..7 signs go
  figures          - heads, hands, the knave, the knight and the king
  faces            - one function per card kind, then the 40 cards
  back_title_icon  - the other pictures
"""
