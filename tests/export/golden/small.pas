{* Neural network Pascal code created by Nodelyx V2.20
 * Network file name: untitled
 * Structure:         2/3/1
 * Date:              Tue Mar  5 09:04:01 2024
 }


unit small;

interface

{ Not all versions of Delphi ship with the math unit.
  If you are compiling with a version that does support the
  math unit, you should define the MATH symbol in your project.
  Defining MATH will make use of the built in hyperbolic tangent
  function which may increase the speed and accuracy of networks
  that make use of tanh nonlinearity functions.  If you are not
  using tanh nonlinearity functions, defining MATH will have no effect.}
{$IFDEF MATH}
uses math;
{$ENDIF}

const
  NUMINPUTS=2;
  HIDDEN1=3;
  NUMOUTPUTS=1;
  HIDDEN1_INDEX=(NUMINPUTS);
  OUTPUT_INDEX=(HIDDEN1_INDEX+HIDDEN1);
  NUMNEURONS=(NUMINPUTS+HIDDEN1+NUMOUTPUTS);

type
  InputNetworkArray=array[0..NUMINPUTS-1] of double;
  OutputNetworkArray=array[0..NUMOUTPUTS-1] of double;

procedure eval_net(const inputs: InputNetworkArray; var outputs:OutputNetworkArray);

implementation

var
  NEURON:Array[0..NUMNEURONS-1] of double;

{ Weight arrays }
const W_In_H1:array[0..HIDDEN1-1,0..NUMINPUTS] of double = (
 (0.3333333333333333, -12345.678, 2.5e-07),
 (1.1, -1.11, -2),
 (1.2, -1.21, -2.5)
 );
const W_H1_Out:array[0..NUMOUTPUTS-1,0..HIDDEN1] of double = (
 (2, -2.01, 2.02, -2.5)
 );


{ Nonlinearity functions }
function sigmoid( const x:double):double;
begin
 if x < -700.0 then sigmoid:=0.0 else if x > 700.0 then sigmoid:=1.0 else
 sigmoid:=(1.0/(1.0 + exp(-x)));
end;

{$IFDEF MATH}
function ftanh( const x:double):double;
begin
 ftanh:=(tanh(x));
end;
{$ELSE}
function ftanh( const x:double):double;
begin
 if x > 20.0 then ftanh:=1.0 else if x < -20.0 then ftanh:=-1.0 else
 ftanh:=( (exp(x) - exp(-x)) / (exp(x) + exp(-x)) );
end;
{$ENDIF}

function gaussian( const x:double):double;
begin
 if abs(x) > 40.0 then gaussian:=0.0 else
 gaussian:=exp(-x*x/2);
end;

function linear( const x:double):double;
begin
 linear:=x;
end;

{* Compute the network response 
 * Arguments: 
 *   inputs   pointer to (double) array containing the input values 
 *   outputs  pointer to (double) array which receives the results 
 *} 
procedure eval_net(const inputs: InputNetworkArray; var outputs:OutputNetworkArray); 
 var
  i,j:integer;
 begin

 { Zero neuron sums }
 for i:=0 to NUMNEURONS-1 do NEURON[i] := 0.0; 

 { Apply inputs }
 for i:=0 to NUMINPUTS-1 do NEURON[i] := inputs[i];

 { Compute hidden layer #1 }
 for i:=0 to HIDDEN1-1 do
   begin
     for j:=0 to NUMINPUTS-1 do
     begin
         NEURON[HIDDEN1_INDEX + i] := NEURON[HIDDEN1_INDEX + i] + NEURON[j]*W_In_H1[i][j]; 
     end;
     NEURON[HIDDEN1_INDEX + i] := NEURON[HIDDEN1_INDEX + i] + W_In_H1[i][NUMINPUTS]; { BIAS }
     NEURON[HIDDEN1_INDEX + i] := sigmoid( NEURON[HIDDEN1_INDEX + i] ); 
   end;

 { Compute network outputs }
 for i:=0 to NUMOUTPUTS-1 do
   begin
     for j:=0 to HIDDEN1-1 do
     begin 
          NEURON[OUTPUT_INDEX + i] := NEURON[OUTPUT_INDEX + i] + NEURON[HIDDEN1_INDEX + j]*W_H1_Out[i][j]; 
     end;
     NEURON[OUTPUT_INDEX + i] := NEURON[OUTPUT_INDEX + i] + W_H1_Out[i][HIDDEN1]; { BIAS }
     NEURON[OUTPUT_INDEX + i] := sigmoid( NEURON[OUTPUT_INDEX + i] ); 
   end;

 { Copy outputs to output array } 
 for i:=0 to NUMOUTPUTS-1 do
     outputs[i] := NEURON[OUTPUT_INDEX + i];

 end;
end.