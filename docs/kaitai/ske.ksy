meta:
  id: ske
  title: Skeleton file
  application: skedump
  file-extension: ske
  endian: le
doc: |
  A skeleton: a header, a bone count, then per bone a length-prefixed name, one unsigned
  16-bit value and twelve floats. skedump reads it front to back and stops at a header other
  than 1 (after reading the bone count) or at a name longer than 128 bytes.
  Each id maps one to one onto a member of `skedump --json` (bone_count is boneCount).
seq:
  - id: header
    type: s4
    doc: Header value; must be 1.
  - id: bone_count
    type: s4
    valid:
      expr: _root.header == 1
    doc: |
      Number of bones. A negative count means no bones. The check on the header comes after
      this field is read, as skedump makes it.
  - id: bones
    type: bone
    repeat: expr
    repeat-expr: 'bone_count < 0 ? 0 : bone_count'
    doc: The bones, each read and printed in turn.
types:
  bone:
    seq:
      - id: name_length
        type: u2
        valid:
          max: 128
        doc: Length of the name in bytes; at most 128.
      - id: name
        size: name_length
        doc: The name's bytes; a report shows them up to the first NUL.
      - id: short
        type: u2
        doc: Not understood. An unsigned 16-bit value ("Short" in the text report).
      - id: floats
        type: f4
        repeat: expr
        repeat-expr: 12
        doc: Twelve floats, not understood; the text report shows them as three rows of four.
