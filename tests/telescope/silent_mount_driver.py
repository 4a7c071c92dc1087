#!/usr/bin/python3
# An INDI driver for indiserver that describes two mounts whenever it is
# asked and then answers nothing: "Mute" never connects, "Deaf" is
# connected and knows where it points but never takes a command. The mount
# client's deadlines are tested against it through the real indiserver.
import os

DEFS = b"""<defTextVector device='Mute' name='DRIVER_INFO' state='Idle' perm='ro'>
<defText name='DRIVER_INTERFACE'>5</defText></defTextVector>
<defSwitchVector device='Mute' name='CONNECTION' state='Idle' perm='rw' rule='OneOfMany'>
<defSwitch name='CONNECT'>Off</defSwitch><defSwitch name='DISCONNECT'>On</defSwitch>
</defSwitchVector>
<defSwitchVector device='Deaf' name='CONNECTION' state='Ok' perm='rw' rule='OneOfMany'>
<defSwitch name='CONNECT'>On</defSwitch><defSwitch name='DISCONNECT'>Off</defSwitch>
</defSwitchVector>
<defNumberVector device='Deaf' name='EQUATORIAL_EOD_COORD' state='Ok' perm='rw'>
<defNumber name='RA' format='%10.6m' min='0' max='24' step='0'>5:30:00</defNumber>
<defNumber name='DEC' format='%10.6m' min='-90' max='90' step='0'>-12.5</defNumber>
</defNumberVector>
"""

while True:
    data = os.read(0, 65536)
    if not data:  # the server has gone
        break
    if b"getProperties" in data:
        os.write(1, DEFS)
