meta:
  id: baf
  title: Bone-animation file
  application: bafdump
  file-extension: baf
  endian: le
doc: |
  A bone animation: a header, the bone names, a frame count, a precision byte, then per bone
  a prefix word and seven components, each a prefix word and a run-length coded stream of
  16-bit fixed-point samples that covers the frame count. bafdump stops at a header other than
  3 (after reading the bone count) and at a name longer than 31 bytes.
  Each id maps one to one onto a member of `bafdump --json` (frame_count is frameCount).
seq:
  - id: header
    type: s4
    doc: Header value; must be 3.
  - id: bone_count
    type: u2
    valid:
      expr: _root.header == 3
    doc: Number of bones. The check on the header comes after this field is read.
  - id: names
    type: bone_name
    repeat: expr
    repeat-expr: bone_count
  - id: frame_count
    type: s4
    doc: Number of frames every component stream covers.
  - id: precision
    type: u1
    doc: Precision byte ("number of bits in mantissa"); the samples are always read with 15.
  - id: bones
    type: bone
    repeat: expr
    repeat-expr: bone_count
types:
  bone_name:
    seq:
      - id: length
        type: u2
        valid:
          max: 31
        doc: Length of the name in bytes; at most 31.
      - id: name
        size: length
        doc: The name's bytes; a report shows them up to the first NUL.
  bone:
    seq:
      - id: prefix
        type: u2
        doc: Not understood; read and not shown by the text report.
      - id: components
        type: component
        repeat: expr
        repeat-expr: 7
  component:
    seq:
      - id: prefix
        type: u2
        doc: Not understood; read and not shown by the text report.
      - id: runs
        type: 'run(_index == 0 ? 1 : runs[_index - 1].next_frame)'
        repeat: until
        repeat-until: _.next_frame > _root.frame_count
        if: _root.frame_count >= 1
        doc: |
          Runs until the frame count is covered; the test comes before each control word, so
          the last run is read whole even when it goes past the frame count.
  run:
    params:
      - id: first_frame
        type: s8
        doc: The frame the run starts at, counted from 1.
    seq:
      - id: control
        type: u2
        doc: |
          Control word: bit 0x0080 is the repeat flag, bits 0x007F the length. The high byte
          is not understood.
      - id: values
        type: sample
        repeat: expr
        repeat-expr: 'repeat ? 1 : length'
        doc: One sample standing for `length` frames (repeat), or `length` samples (literal).
    instances:
      repeat:
        value: (control & 0x80) != 0
      length:
        value: control & 0x7f
      next_frame:
        value: first_frame + length
  sample:
    seq:
      - id: word
        type: s2
        doc: A fixed-point sample with 15 fraction bits.
    instances:
      value:
        value: word / 32768.0
        doc: The sample's value, exact in single precision.
